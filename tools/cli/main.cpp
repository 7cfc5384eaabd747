// cvdmxmap-cli: the editor's map files and controller link from the command line.
#include "Cli.h"

#include <csignal>
#include <cstdio>

namespace {

struct Command {
    const char *name;
    int (*run)(const QStringList &args);
};

const Command kCommands[] = {
    {"show", cli::RunShow},         {"checksum", cli::RunChecksum}, {"download", cli::RunDownload},
    {"verify", cli::RunVerify},     {"revision", cli::RunRevision}, {"diff", cli::RunDiff},
};

const char kHelp[] =
    "Usage: cvdmxmap-cli COMMAND [ARGUMENTS]\n"
    "The command-line companion of the QRT Corvanta DMX Map editor: map files and\n"
    "controllers without the window.\n"
    "\n"
    "Commands:\n"
    "  show FILE [--csv]          device address, range and 512 channels of a map\n"
    "  checksum FILE              the 16-digit map checksum of a map file\n"
    "  download FILE --port PORT  send a map to a controller, check its checksum\n"
    "  verify FILE --port PORT    does the controller hold this map? (sends nothing)\n"
    "  revision --port PORT       the controller's firmware revision\n"
    "  diff A B                   the channels whose entries differ in two map files\n"
    "\n"
    "\"cvdmxmap-cli COMMAND --help\" describes one command.\n"
    "\n";

void PrintHelp()
{
    cli::Print(kHelp);
    cli::Print(cli::kPortHelp);
    cli::Print("\n");
    cli::Print(cli::kStatusHelp);
}

int Usage(const QString &message)
{
    cli::Error(message + QStringLiteral(" (see cvdmxmap-cli --help)"));
    return cli::kUsage;
}

const Command *FindCommand(const QString &name)
{
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

int Run(QStringList args)
{
    if (args.isEmpty())
        return Usage(QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        PrintHelp();
        return cli::kOk;
    }
    if (name == QLatin1String("help")) {
        if (args.isEmpty()) {
            PrintHelp();
            return cli::kOk;
        }
        const Command *command = FindCommand(args[0]);
        return command ? command->run({QStringLiteral("--help")}) : Usage(QStringLiteral("unknown command ") + args[0]);
    }
    const Command *command = FindCommand(name);
    if (!command)
        return Usage(QStringLiteral("unknown command ") + name);
    return command->run(args);
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
