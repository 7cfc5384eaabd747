#include "Command.h"

namespace cli {

const std::vector<Command> &Commands()
{
    static const std::vector<Command> commands{
        {"show",
         "show FILE [--csv] [--by-output]",
         "device address, range and 512 channels of a map",
         "Prints the device address and range of map file FILE, then its 512\n"
         "channels, one line each: the channel number and the output as the editor\n"
         "shows it under the file's device address (\"D:03.2\", or \"- - -\" for none).\n"
         "\n"
         "  --csv        print comma-separated rows instead: a header row\n"
         "               \"channel,entry,output,label\"; rows \"title\" (the map's title\n"
         "               in the output column), \"address\" and \"range\" (the device\n"
         "               entries and their list texts); one row a channel 1..512 with\n"
         "               the entry stored in the file, the output and its label; then\n"
         "               a row with an empty channel for each spare: each output no\n"
         "               channel drives, and each labelled entry past device 16 no\n"
         "               channel holds; \"cvdmxmap-cli import\" reads them back\n"
         "  --by-output  print the map the other way round: the title, then each\n"
         "               output the map can name at its device address with its\n"
         "               label and the channels that drive it as runs (\"65-72,\n"
         "               101\"), \"not driven\", or a count when several do; then the\n"
         "               channels whose outputs show as \"- - -\" as check names\n"
         "               them; with --csv as \"output,entry,channels,count,label\" rows,\n"
         "               those channels under output \"- - -\" by entry\n",
         "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a\n"
         "map file, or its labels are damaged (with --csv or --by-output).\n",
         {QStringLiteral("FILE")},
         Operands::kMaps,
         kCsvOption | kByOutputOption,
         0,
         false,
         RunShow},
        {"checksum",
         "checksum FILE",
         "the 16-digit map checksum of a map file",
         "Prints the map checksum of map file FILE: the 16 hexadecimal digits that a\n"
         "controller holding this map reports. It covers the 512 channel entries\n"
         "only, not the device address and range.\n",
         "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a\n"
         "map file.\n",
         {QStringLiteral("FILE")},
         Operands::kMaps,
         kNoOptions,
         0,
         false,
         RunChecksum},
        {"download",
         "download FILE --port PORT",
         "send a map to a controller, check its checksum",
         "Sends the 512 channel entries of map file FILE to the controller on PORT in\n"
         "eight blocks, as the editor's Download does, then asks the controller for its\n"
         "map checksum and compares it with the file's. Progress goes to standard\n"
         "error; the result line goes to standard output only when the checksums match.\n",
         "Exit status: 0 downloaded and checksum matched, 1 checksum mismatch, 2 usage\n"
         "error, 3 FILE cannot be read or is not a map file, 4 PORT cannot be opened,\n"
         "5 time-out or lost line (the controller's map is then incomplete).\n",
         {QStringLiteral("FILE")},
         Operands::kMaps,
         kNoOptions,
         0,
         true,
         RunDownload},
        {"verify",
         "verify FILE --port PORT",
         "does the controller hold this map? (sends nothing)",
         "Tells whether the controller on PORT already holds the map of map file FILE,\n"
         "without sending it: asks only for the controller's map checksum and compares it\n"
         "with the file's. The answer goes to standard output.\n",
         "Exit status: 0 the controller holds the map, 1 it holds another map, 2 usage\n"
         "error, 3 FILE cannot be read or is not a map file, 4 PORT cannot be opened,\n"
         "5 time-out or lost line.\n",
         {QStringLiteral("FILE")},
         Operands::kMaps,
         kNoOptions,
         0,
         true,
         RunVerify},
        {"revision",
         "revision --port PORT",
         "the controller's firmware revision",
         "Asks the controller on PORT for its firmware revision and prints the 18\n"
         "characters of its answer exactly as received.\n",
         "Exit status: 0 printed, 2 usage error, 4 PORT cannot be opened, 5 time-out or\n"
         "lost line.\n",
         {},
         Operands::kMaps,
         kNoOptions,
         0,
         true,
         RunRevision},
        {"identify",
         "identify [--port PORT]... [--maps FOLDER] [--csv]",
         "which map each controller holds (sends none)",
         "Tells which map each controller holds, without sending one: opens every port as\n"
         "verify does and asks the controller for its map checksum ([03]), then for its\n"
         "firmware revision ([04]), each with the 2000 ms limit. All ports are asked at\n"
         "the same time, so a run takes about four seconds at most however many there\n"
         "are. A device that two names reach is asked once.\n"
         "\n"
         "Prints a row a port: its COM name, its device, the state (answered; no device;\n"
         "cannot open, and why; no answer to [03] or [04]; line lost), the revision and\n"
         "the checksum as the controller gives them (a control character as \\xNN), and\n"
         "the map files of FOLDER whose map checksum is the controller's, each with its\n"
         "title in quotes where it has one, or \"none\".\n"
         "The checksum covers the 512 channels only: maps that differ only in device\n"
         "address or range all match. A *.CVX file of FOLDER that gives no map is\n"
         "reported on standard error as skipped, after the rows.\n"
         "\n"
         "  --port PORT    ask the controller on PORT; may be given more than once\n"
         "                 (default: COM1 .. COM8)\n"
         "  --maps FOLDER  the folder whose *.CVX files (the extension in any case, the\n"
         "                 top level only) are compared (default: the editor's working\n"
         "                 folder, ~/QRT Corvanta DMX Map)\n"
         "  --csv          print comma-separated rows instead: a header\n"
         "                 \"port,device,state,revision,checksum,maps\", then one row a\n"
         "                 port\n",
         "Exit status: 0 every controller that answered holds a map of FOLDER, 1 one\n"
         "holds none of them, 2 usage error, 3 FOLDER cannot be read, 4 no controller\n"
         "answered with its checksum.\n",
         {},
         Operands::kNames,
         kPortOption | kMapsOption | kCsvOption,
         0,
         false,
         RunIdentify},
        {"diff",
         "diff A B",
         "the channels whose entries differ in two map files",
         "Compares map files A and B. Prints the device address and range when they\n"
         "differ, then one line for each channel whose entries differ:\n"
         "  channel 005: D:01.1 (entry 0) -> - - - (entry 255)\n"
         "with each output as the editor shows it under its own file's device address.\n"
         "Prints nothing when the maps are the same.\n",
         "Exit status: 0 the same, 1 they differ, 2 usage error, 3 A or B cannot be\n"
         "read or is not a map file.\n",
         {QStringLiteral("A"), QStringLiteral("B")},
         Operands::kMaps,
         kNoOptions,
         0,
         false,
         RunDiff},
        {"check",
         "check FILE",
         "what to know of a map before a download",
         "Checks map file FILE for what a technician should know before a download,\n"
         "and prints one line for each finding:\n"
         "  - an output driven by more than one channel;\n"
         "  - a channel holding an output past device 16 at the file's device address,\n"
         "    which the editor shows as \"- - -\" although it is patched;\n"
         "  - a channel entry neither an output (0..63) nor none (255), which the file\n"
         "    keeps and the editor shows as none;\n"
         "  - a device address or range entry outside its list (0..15).\n"
         "Prints nothing for a map without findings.\n",
         "Exit status: 0 no finding, 1 one finding or more, 2 usage error, 3 FILE\n"
         "cannot be read or is shorter than a map file.\n",
         {QStringLiteral("FILE")},
         Operands::kMapEntries,
         kNoOptions,
         0,
         false,
         RunCheck},
        {"import",
         "import CSV -o FILE",
         "a map file from comma-separated rows",
         "Writes map file FILE from CSV (\"-\" for standard input), the rows\n"
         "\"cvdmxmap-cli show --csv\" prints or a spreadsheet saves of them: a header\n"
         "naming the columns channel, entry, output and label (in any order; other\n"
         "columns are left alone) separated by commas, semicolons or tabs, rows in any\n"
         "order, a UTF-8 byte order mark, CR LF and quoted fields; at most 1 MiB.\n"
         "A row gives a channel 1..512, \"address\" or \"range\", and its entry, its\n"
         "output text as the editor shows it at the file's device address (in either\n"
         "case, \"d:2.1\" for D:02.1), or both when they agree; \"None\", \"-\", \"- - -\"\n"
         "or nothing for no output. A channel without a row has no output; missing\n"
         "address and range rows stand for entry 0.\n"
         "A label (one line, up to 64 characters) names what the output of its row\n"
         "feeds; rows of one output must not give different ones, and an empty label\n"
         "says nothing. A row with an empty channel names an output, by its entry\n"
         "0..63 or its output text, to label it where no channel drives it. The\n"
         "\"title\" row gives the map's title in the output column. Without a label\n"
         "column and a title row FILE keeps the labels it has.\n"
         "The first bad row is reported with its line and column, and then nothing is\n"
         "written; so is a control character inside a field. FILE is written as the\n"
         "editor saves: it holds the whole new map or, when writing fails or the program\n"
         "is killed, exactly what it held. Labels are refused over a file that ends in\n"
         "bytes that are not labels.\n"
         "\n"
         "  -o, --output FILE  the map file to write\n",
         "Exit status: 0 written, 2 usage error, 3 CSV cannot be read, is longer than\n"
         "1 MiB or has a bad row, or FILE cannot be written.\n",
         {QStringLiteral("CSV")},
         Operands::kNames,
         kOutputOption,
         kOutputOption,
         false,
         RunImport},
        {"sheet",
         "sheet FILE -o OUT.pdf [--paper a4|letter]",
         "a printable patch sheet of a map",
         "Writes a patch sheet of map file FILE to OUT.pdf, for the dimmer rack: one\n"
         "landscape page (two when the reverse patch runs long), no text under 7 pt.\n"
         "A header with the file's name, the device address and range as the editor's\n"
         "lists word them, the checksum a controller reports after a download of the\n"
         "map, and the date; the 512 channels laid out as the editor's window lays\n"
         "them out; and each output the map can name at its device address with the\n"
         "channels that drive it, outputs nobody drives in grey, outputs several\n"
         "channels drive in red. Needs no display.\n"
         "\n"
         "  -o, --output OUT.pdf  the PDF file to write\n"
         "  --paper a4|letter     the paper; by default letter where the locale\n"
         "                        measures in US units, else A4\n",
         "Exit status: 0 written, 2 usage error, 3 FILE cannot be read or is not a\n"
         "map file, or OUT.pdf cannot be written.\n",
         {QStringLiteral("FILE")},
         Operands::kMaps,
         kOutputOption | kPaperOption,
         kOutputOption,
         false,
         RunSheet},
        {"ports",
         "ports [--set COMn=PATH | --unset COMn]",
         "COM1..COM8 and the serial devices of this machine",
         "Lists COM1 .. COM8, each with the device it stands for (from section\n"
         "[Ports] of the editor's settings file, or the default /dev/ttyS(n-1)), where\n"
         "that came from, and whether the device is there and this user may use it;\n"
         "then the serial devices this machine has: the stable names in\n"
         "/dev/serial/by-id with the node each points to, and the USB and ACM nodes.\n"
         "\n"
         "  --set COMn=PATH  point COMn at the device PATH in the settings file,\n"
         "                   keeping every other byte of it\n"
         "  --unset COMn     take COMn out of the settings file: back to its default\n"
         "\n"
         "A name in /dev/serial/by-id stays the same when a USB adapter is plugged in\n"
         "again or elsewhere, where /dev/ttyUSB0 may become /dev/ttyUSB1: ports\n"
         "suggests it where there is one.\n",
         "Exit status: 0 listed or changed, 2 usage error, 3 the settings file cannot\n"
         "be read or written (one larger than 1 MiB is neither). A control character\n"
         "in PATH is a usage error.\n",
         {},
         Operands::kNames,
         kSetOption | kUnsetOption,
         0,
         false,
         RunPorts},
    };
    return commands;
}

const Command *FindCommand(const QString &name)
{
    for (const Command &c : Commands()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

} // namespace cli
