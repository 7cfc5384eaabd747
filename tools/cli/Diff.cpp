#include "Cli.h"

#include "document/OutputLabel.h"

#include <cstdio>

namespace cli {

namespace {

const char kHelp[] =
    "Usage: cvdmxmap-cli diff A B\n"
    "Compares map files A and B. Prints the device address and range when they\n"
    "differ, then one line for each channel whose entries differ:\n"
    "  channel 005: D:01.1 (entry 0) -> - - - (entry 255)\n"
    "with each output as the editor shows it under its own file's device address.\n"
    "Prints nothing when the maps are the same.\n"
    "\n"
    "Exit status: 0 the same, 1 they differ, 2 usage error, 3 A or B cannot be\n"
    "read or is not a map file.\n";

QString AddressText(int16_t index)
{
    return modCVDMXMap::Hex2(int16_t(index + 1));
}

QString OutputText(int16_t entry, int16_t address)
{
    return OutputLabel(entry, address) + QStringLiteral(" (entry %1)").arg(entry);
}

} // namespace

int RunDiff(const QStringList &args)
{
    const QString command = QStringLiteral("diff");
    const std::optional<Arguments> a = ParseArguments(command, args, kNoOptions);
    if (!a)
        return kUsage;
    if (a->help) {
        Print(kHelp);
        return kOk;
    }
    if (!CheckArguments(command, *a, {QStringLiteral("A"), QStringLiteral("B")}, false))
        return kUsage;
    const std::optional<dmxlink::MapTable> mapA = ReadMap(a->operands[0]);
    if (!mapA)
        return kFileError;
    const std::optional<dmxlink::MapTable> mapB = ReadMap(a->operands[1]);
    if (!mapB)
        return kFileError;

    using namespace modCVDMXMap;
    const dmxlink::MapTable &x = *mapA;
    const dmxlink::MapTable &y = *mapB;
    bool differ = false;
    if (x[kDevAddEntry] != y[kDevAddEntry]) {
        Out(QStringLiteral("Device Address: ") + AddressText(x[kDevAddEntry]) + QStringLiteral(" -> ")
            + AddressText(y[kDevAddEntry]));
        differ = true;
    }
    if (x[kDevRangeEntry] != y[kDevRangeEntry]) {
        Out(QStringLiteral("Device Range: %1 -> %2").arg(x[kDevRangeEntry] + 1).arg(y[kDevRangeEntry] + 1));
        differ = true;
    }
    for (int c = 0; c < kChannels; ++c) {
        if (x[c] == y[c])
            continue;
        Out(QStringLiteral("channel %1: ").arg(c + 1, 3, 10, QLatin1Char('0'))
            + OutputText(x[c], x[kDevAddEntry]) + QStringLiteral(" -> ") + OutputText(y[c], y[kDevAddEntry]));
        differ = true;
    }
    return differ ? kDiffers : kOk;
}

} // namespace cli
