#include "Command.h"
#include "Output.h"
#include "Status.h"
#include "document/DeviceLists.h"
#include "document/MapCsv.h"
#include "document/OutputLabel.h"
#include "document/ReversePatch.h"

namespace cli {

namespace {

using namespace modCVDMXMap;

// The reverse patch: each output with the channels that drive it.
void ShowByOutput(const MapTable &map, bool csv)
{
    if (csv)
        Out(QStringLiteral("output,entry,channels,count"));
    else
        Out(DeviceAddressText(map[kDevAddEntry]));
    for (const OutputDrive &output : ReversePatch(map)) {
        const QString runs = ChannelRuns(output.channels);
        const int count = int(output.channels.size());
        if (csv)
            Out(QStringLiteral("%1,%2,\"%3\",%4").arg(output.label).arg(output.entry).arg(runs).arg(count));
        else if (count == 0)
            Out(output.label + QStringLiteral("  not driven"));
        else
            Out(output.label + QStringLiteral("  ") + runs
                + (count > 1 ? QStringLiteral("  [%1 channels]").arg(count) : QString()));
    }
}

} // namespace

int RunShow(Job &job)
{
    const MapTable &map = job.maps[0];
    if (job.byOutput) {
        ShowByOutput(map, job.csv);
        return kOk;
    }
    if (job.csv) {
        Print(MapToCsv(map).toLocal8Bit());
        return kOk;
    }
    const int16_t address = map[kDevAddEntry];
    Out(DeviceAddressText(address));
    Out(DeviceRangeText(map[kDevRangeEntry]));
    for (int c = 0; c < kChannels; ++c)
        Out(QStringLiteral("%1  ").arg(c + 1, 3, 10, QLatin1Char('0')) + OutputLabel(map[c], address));
    return kOk;
}

} // namespace cli
