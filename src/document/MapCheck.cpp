#include "document/MapCheck.h"

#include "document/DeviceLists.h"
#include "document/OutputLabel.h"
#include "document/ReversePatch.h"

namespace modCVDMXMap {

namespace {

QString Channel(int index)
{
    return QStringLiteral("channel %1").arg(index + 1, 3, 10, QLatin1Char('0'));
}

bool InList(int16_t entry)
{
    return entry >= 0 && entry < kDeviceListEntries;
}

} // namespace

std::vector<Finding> MapFindings(const MapTable &map)
{
    std::vector<Finding> findings;
    const int16_t address = map[kDevAddEntry];
    const int16_t range = map[kDevRangeEntry];
    if (!InList(address))
        findings.push_back({Finding::Kind::AddressOutsideList,
                            address,
                            {},
                            QStringLiteral("device address entry %1 is outside the list (0..15)").arg(address)});
    if (!InList(range))
        findings.push_back({Finding::Kind::RangeOutsideList,
                            range,
                            {},
                            QStringLiteral("device range entry %1 is outside the list (0..15)").arg(range)});
    for (const OutputDrive &output : ReversePatch(map)) {
        if (output.channels.size() > 1)
            findings.push_back({Finding::Kind::SharedOutput, output.entry, output.channels,
                                QStringLiteral("%1 is driven by %2 channels: %3")
                                    .arg(output.label)
                                    .arg(output.channels.size())
                                    .arg(ChannelRuns(output.channels))});
    }
    for (int c = 0; c < kChannels; ++c) {
        const int16_t entry = map[c];
        if (entry >= 0 && entry <= kLastOutput && InList(address)
            && OutputLabel(entry, address) == QLatin1String("- - -"))
            findings.push_back({Finding::Kind::HiddenPatch,
                                entry,
                                {c + 1},
                                Channel(c) + QStringLiteral(" holds entry %1, an output past device 16 at ").arg(entry)
                                    + DeviceAddressText(address) + QStringLiteral(": it shows as - - -")});
        else if ((entry < 0 || entry > kLastOutput) && entry != kNoOutput)
            findings.push_back({Finding::Kind::OddEntry,
                                entry,
                                {c + 1},
                                Channel(c)
                                    + QStringLiteral(" holds %1, neither an output (0..63) nor none (255): kept in "
                                                     "the file, shown as - - -")
                                          .arg(entry)});
    }
    return findings;
}

QStringList CheckMap(const MapTable &map)
{
    QStringList texts;
    for (const Finding &finding : MapFindings(map))
        texts << finding.text;
    return texts;
}

} // namespace modCVDMXMap
