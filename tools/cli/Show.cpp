#include "Command.h"
#include "Output.h"
#include "Status.h"
#include "document/OutputLabel.h"

namespace cli {

int RunShow(Job &job)
{
    using namespace modCVDMXMap;
    const dmxlink::MapTable &map = job.maps[0];
    const int16_t address = map[kDevAddEntry];
    const int16_t range = map[kDevRangeEntry];
    if (job.csv) {
        Out(QStringLiteral("channel,entry,output"));
        for (int c = 0; c < kChannels; ++c)
            Out(QStringLiteral("%1,%2,").arg(c + 1).arg(map[c]) + OutputLabel(map[c], address));
        return kOk;
    }
    Out(QStringLiteral("Device Address: ") + Hex2(int16_t(address + 1)));
    Out(QStringLiteral("Device Range: %1 / Switch Setting: ").arg(range + 1) + Hex1(range));
    for (int c = 0; c < kChannels; ++c)
        Out(QStringLiteral("%1  ").arg(c + 1, 3, 10, QLatin1Char('0')) + OutputLabel(map[c], address));
    return kOk;
}

} // namespace cli
