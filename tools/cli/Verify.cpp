#include "Cli.h"

#include <cstdio>

namespace cli {

namespace {

const char kHelp[] =
    "Usage: cvdmxmap-cli verify FILE --port PORT\n"
    "Tells whether the controller on PORT already holds the map of map file FILE,\n"
    "without sending it: asks only for the controller's map checksum and compares it\n"
    "with the file's. The answer goes to standard output.\n"
    "\n";

const char kStatus[] =
    "\n"
    "Exit status: 0 the controller holds the map, 1 it holds another map, 2 usage\n"
    "error, 3 FILE cannot be read or is not a map file, 4 PORT cannot be opened,\n"
    "5 time-out or lost line.\n";

} // namespace

int RunVerify(const QStringList &args)
{
    const QString command = QStringLiteral("verify");
    const std::optional<Arguments> a = ParseArguments(command, args, kPortOption);
    if (!a)
        return kUsage;
    if (a->help) {
        Print(kHelp);
        Print(kPortHelp);
        Print(kStatus);
        return kOk;
    }
    if (!CheckArguments(command, *a, {QStringLiteral("FILE")}, true))
        return kUsage;
    const QString file = a->operands[0];
    const std::optional<dmxlink::MapTable> map = ReadMap(file);
    if (!map)
        return kFileError;
    Controller controller;
    if (!controller.Open(a->port))
        return kPortError;
    if (!controller.Ask(dmxlink::kChecksumCommand, dmxlink::kChecksumReplyLength,
                        QStringLiteral("the checksum query ") + dmxlink::kChecksumCommand))
        return kTimeout;
    controller.Close();

    const QString reported = controller.ReplyChecksum();
    const QString expected = dmxlink::MapChecksumText(*map);
    if (reported == expected) {
        Out(controller.Where() + QStringLiteral(" holds ") + file + QStringLiteral(" (checksum ") + expected
            + QStringLiteral(")"));
        return kOk;
    }
    Out(controller.Where() + QStringLiteral(" holds another map: checksum ") + reported + QStringLiteral(", ")
        + file + QStringLiteral(" has ") + expected);
    return kDiffers;
}

} // namespace cli
