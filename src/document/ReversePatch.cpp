#include "document/ReversePatch.h"

#include "document/OutputLabel.h"

#include <QStringList>

namespace modCVDMXMap {

std::vector<OutputDrive> ReversePatch(const MapTable &map)
{
    const int address = map[kDevAddEntry];
    std::vector<OutputDrive> outputs;
    if (address < 0 || address >= kDevices)
        return outputs;
    for (int entry = 0; entry < kOutputs && kOutputsPerDevice * address + entry < kOutputs; ++entry)
        outputs.push_back({int16_t(entry), OutputLabel(int16_t(entry), address), {}});
    for (int c = 0; c < kChannels; ++c) {
        const int entry = map[c];
        if (entry >= 0 && entry < int(outputs.size()))
            outputs[size_t(entry)].channels.push_back(c + 1);
    }
    return outputs;
}

QString ChannelRuns(const std::vector<int> &channels)
{
    QStringList runs;
    for (size_t i = 0; i < channels.size();) {
        size_t end = i;
        while (end + 1 < channels.size() && channels[end + 1] == channels[end] + 1)
            ++end;
        runs << (end == i ? QString::number(channels[i]) : QStringLiteral("%1-%2").arg(channels[i]).arg(channels[end]));
        i = end + 1;
    }
    return runs.join(QStringLiteral(", "));
}

} // namespace modCVDMXMap
