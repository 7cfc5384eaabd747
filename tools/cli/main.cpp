// cvdmxmap-cli: the editor's map files and controller link from the command line.
#include "Command.h"
#include "Help.h"
#include "Output.h"
#include "Prepare.h"
#include "Status.h"

#include <csignal>

namespace {

int Usage(const QString &message)
{
    cli::Error(message + QStringLiteral(" (see cvdmxmap-cli --help)"));
    return cli::kUsage;
}

int Run(QStringList args)
{
    if (args.isEmpty())
        return Usage(QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    const bool help = name == QLatin1String("help");
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || (help && args.isEmpty())) {
        cli::PrintMainHelp();
        return cli::kOk;
    }
    const QString commandName = help ? args[0] : name;
    const cli::Command *command = cli::FindCommand(commandName);
    if (!command)
        return Usage(QStringLiteral("unknown command ") + commandName);
    if (help) {
        cli::PrintHelp(*command);
        return cli::kOk;
    }
    return cli::Execute(*command, args);
}

} // namespace

int main(int argc, char *argv[])
{
    // A reader that went away, or a file-size limit reached, is a write error like any
    // other: reported, not the end of the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return cli::Finish(Run(args));
}
