#include "Cli.h"

#include <cstdio>

namespace cli {

namespace {

const char kHelp[] =
    "Usage: cvdmxmap-cli checksum FILE\n"
    "Prints the map checksum of map file FILE: the 16 hexadecimal digits that a\n"
    "controller holding this map reports. It covers the 512 channel entries\n"
    "only, not the device address and range.\n"
    "\n"
    "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a\n"
    "map file.\n";

} // namespace

int RunChecksum(const QStringList &args)
{
    const QString command = QStringLiteral("checksum");
    const std::optional<Arguments> a = ParseArguments(command, args, kNoOptions);
    if (!a)
        return kUsage;
    if (a->help) {
        Print(kHelp);
        return kOk;
    }
    if (!CheckArguments(command, *a, {QStringLiteral("FILE")}, false))
        return kUsage;
    const std::optional<dmxlink::MapTable> map = ReadMap(a->operands[0]);
    if (!map)
        return kFileError;
    Out(dmxlink::MapChecksumText(*map));
    return kOk;
}

} // namespace cli
