#include "Command.h"

namespace cli {

const std::vector<Command> &Commands()
{
    static const std::vector<Command> commands{
        {"show", "show FILE [--csv]", "device address, range and 512 channels of a map",
         "Prints the device address and range of map file FILE, then its 512\n"
         "channels, one line each: the channel number and the output as the editor\n"
         "shows it under the file's device address (\"D:03.2\", or \"- - -\" for none).\n"
         "\n"
         "  --csv    print \"channel,entry,output\" rows instead (after a header row), with\n"
         "           the channel 1..512, the entry stored in the file and the output\n",
         "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a\n"
         "map file.\n",
         {QStringLiteral("FILE")}, kCsvOption, false, RunShow},
        {"checksum", "checksum FILE", "the 16-digit map checksum of a map file",
         "Prints the map checksum of map file FILE: the 16 hexadecimal digits that a\n"
         "controller holding this map reports. It covers the 512 channel entries\n"
         "only, not the device address and range.\n",
         "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a\n"
         "map file.\n",
         {QStringLiteral("FILE")}, kNoOptions, false, RunChecksum},
        {"download", "download FILE --port PORT", "send a map to a controller, check its checksum",
         "Sends the 512 channel entries of map file FILE to the controller on PORT in\n"
         "eight blocks, as the editor's Download does, then asks the controller for its\n"
         "map checksum and compares it with the file's. Progress goes to standard\n"
         "error; the result line goes to standard output only when the checksums match.\n",
         "Exit status: 0 downloaded and checksum matched, 1 checksum mismatch, 2 usage\n"
         "error, 3 FILE cannot be read or is not a map file, 4 PORT cannot be opened,\n"
         "5 time-out or lost line (the controller's map is then incomplete).\n",
         {QStringLiteral("FILE")}, kNoOptions, true, RunDownload},
        {"verify", "verify FILE --port PORT", "does the controller hold this map? (sends nothing)",
         "Tells whether the controller on PORT already holds the map of map file FILE,\n"
         "without sending it: asks only for the controller's map checksum and compares it\n"
         "with the file's. The answer goes to standard output.\n",
         "Exit status: 0 the controller holds the map, 1 it holds another map, 2 usage\n"
         "error, 3 FILE cannot be read or is not a map file, 4 PORT cannot be opened,\n"
         "5 time-out or lost line.\n",
         {QStringLiteral("FILE")}, kNoOptions, true, RunVerify},
        {"revision", "revision --port PORT", "the controller's firmware revision",
         "Asks the controller on PORT for its firmware revision and prints the 18\n"
         "characters of its answer exactly as received.\n",
         "Exit status: 0 printed, 2 usage error, 4 PORT cannot be opened, 5 time-out or\n"
         "lost line.\n",
         {}, kNoOptions, true, RunRevision},
        {"diff", "diff A B", "the channels whose entries differ in two map files",
         "Compares map files A and B. Prints the device address and range when they\n"
         "differ, then one line for each channel whose entries differ:\n"
         "  channel 005: D:01.1 (entry 0) -> - - - (entry 255)\n"
         "with each output as the editor shows it under its own file's device address.\n"
         "Prints nothing when the maps are the same.\n",
         "Exit status: 0 the same, 1 they differ, 2 usage error, 3 A or B cannot be\n"
         "read or is not a map file.\n",
         {QStringLiteral("A"), QStringLiteral("B")}, kNoOptions, false, RunDiff},
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
