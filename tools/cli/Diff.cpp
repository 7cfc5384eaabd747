#include "Command.h"
#include "Output.h"
#include "Status.h"
#include "document/OutputLabel.h"

namespace cli {

namespace {

QString AddressText(int16_t index)
{
    return modCVDMXMap::Hex2(int16_t(index + 1));
}

QString OutputText(int16_t entry, int16_t address)
{
    return OutputLabel(entry, address) + QStringLiteral(" (entry %1)").arg(entry);
}

} // namespace

int RunDiff(Job &job)
{
    using namespace modCVDMXMap;
    const dmxlink::MapTable &x = job.maps[0];
    const dmxlink::MapTable &y = job.maps[1];
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
        Out(QStringLiteral("channel %1: ").arg(c + 1, 3, 10, QLatin1Char('0')) + OutputText(x[c], x[kDevAddEntry])
            + QStringLiteral(" -> ") + OutputText(y[c], y[kDevAddEntry]));
        differ = true;
    }
    return differ ? kDiffers : kOk;
}

} // namespace cli
