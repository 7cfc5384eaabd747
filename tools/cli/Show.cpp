#include "Cli.h"

#include "document/OutputLabel.h"

#include <cstdio>

namespace cli {

namespace {

const char kHelp[] =
    "Usage: cvdmxmap-cli show FILE [--csv]\n"
    "Prints the device address and range of map file FILE, then its 512\n"
    "channels, one line each: the channel number and the output as the editor\n"
    "shows it under the file's device address (\"D:03.2\", or \"- - -\" for none).\n"
    "\n"
    "  --csv    print \"channel,entry,output\" rows instead (after a header row), with\n"
    "           the channel 1..512, the entry stored in the file and the output\n"
    "\n"
    "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a\n"
    "map file.\n";

} // namespace

int RunShow(const QStringList &args)
{
    const QString command = QStringLiteral("show");
    const std::optional<Arguments> a = ParseArguments(command, args, kCsvOption);
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

    using namespace modCVDMXMap;
    const int16_t address = (*map)[kDevAddEntry];
    const int16_t range = (*map)[kDevRangeEntry];
    if (a->csv) {
        Out(QStringLiteral("channel,entry,output"));
        for (int c = 0; c < kChannels; ++c)
            Out(QStringLiteral("%1,%2,").arg(c + 1).arg((*map)[c]) + OutputLabel((*map)[c], address));
        return kOk;
    }
    Out(QStringLiteral("Device Address: ") + Hex2(int16_t(address + 1)));
    Out(QStringLiteral("Device Range: %1 / Switch Setting: ").arg(range + 1) + Hex1(range));
    for (int c = 0; c < kChannels; ++c)
        Out(QStringLiteral("%1  ").arg(c + 1, 3, 10, QLatin1Char('0')) + OutputLabel((*map)[c], address));
    return kOk;
}

} // namespace cli
