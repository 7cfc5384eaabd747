#include "Help.h"

#include "Command.h"
#include "Output.h"

namespace cli {

namespace {

const char kIntro[]
    = "Usage: cvdmxmap-cli COMMAND [ARGUMENTS]\n"
      "The command-line companion of the QRT Corvanta DMX Map editor: map files and\n"
      "controllers without the window.\n"
      "\n"
      "Commands:\n";

const char kMore[]
    = "\n"
      "\"cvdmxmap-cli COMMAND --help\" describes one command.\n"
      "\n";

const char kStatusHelp[]
    = "Exit status:\n"
      "  0  success; verify: the controller holds the map; identify: every\n"
      "     controller that answered holds a map of the folder; diff: the maps are\n"
      "     the same; check: no finding\n"
      "  1  checksum mismatch after a download; verify: the controller holds\n"
      "     another map; identify: a controller holds none of the folder's maps;\n"
      "     diff: the maps differ; check: findings\n"
      "  2  usage error: unknown command or option, missing or extra argument,\n"
      "     bad PORT\n"
      "  3  a map file cannot be read, or is not a valid map file; identify: the\n"
      "     folder cannot be read; a file cannot be written; a CSV row is bad; or\n"
      "     standard output or standard error cannot be written\n"
      "  4  the port cannot be opened; identify: no controller answered\n"
      "  5  time-out: no complete reply from the controller within 2000 ms, or\n"
      "     the line was lost\n";

const char kPortHelp[]
    = "PORT is COM1 .. COM8 or a device path such as /dev/ttyUSB0. COMn is found\n"
      "as the editor finds it: key COMn of section [Ports] in\n"
      "~/QRT Corvanta DMX Map/QRT Corvanta DMX Map.ini, else /dev/ttyS(n-1).\n";

// Where the summaries of the main help's command lines start.
constexpr int kSummaryColumn = 29;

// "  show FILE [--csv]          device address, ...": a synopsis too long for its
// column puts the summary on the next line.
QByteArray CommandLine(const Command &command)
{
    const QByteArray synopsis = "  " + QByteArray(command.synopsis);
    if (synopsis.size() + 2 > kSummaryColumn)
        return synopsis + '\n' + QByteArray(kSummaryColumn, ' ') + command.summary + '\n';
    return synopsis.leftJustified(kSummaryColumn) + command.summary + '\n';
}

} // namespace

void PrintMainHelp()
{
    Print(kIntro);
    for (const Command &command : Commands())
        Print(CommandLine(command));
    Print(kMore);
    Print(kPortHelp);
    Print("\n");
    Print(kStatusHelp);
}

void PrintHelp(const Command &command)
{
    Print("Usage: cvdmxmap-cli " + QByteArray(command.synopsis) + '\n');
    Print(command.description);
    Print("\n");
    if (command.needsPort || (command.options & kPortOption)) {
        Print(kPortHelp);
        Print("\n");
    }
    Print(command.status);
}

} // namespace cli
