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

// Whether word, where a command would stand, asks for the tool's own help.
bool AsksForHelp(const QString &word)
{
    return word == QLatin1String("--help") || word == QLatin1String("-h") || word == QLatin1String("help");
}

int Run(QStringList args)
{
    if (args.isEmpty())
        return Usage(QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    // "help COMMAND" describes a command; "help", "--help" and "help --help" the tool.
    const bool aboutCommand = name == QLatin1String("help") && !args.isEmpty() && !AsksForHelp(args[0]);
    if (AsksForHelp(name) && !aboutCommand) {
        cli::PrintMainHelp();
        return cli::kOk;
    }
    const QString commandName = aboutCommand ? args[0] : name;
    const cli::Command *command = cli::FindCommand(commandName);
    if (!command)
        return Usage(QStringLiteral("unknown command ") + commandName);
    if (aboutCommand) {
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
