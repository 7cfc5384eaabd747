#include "Command.h"
#include "MapInput.h"
#include "Output.h"
#include "Status.h"
#include "document/DeviceLists.h"
#include "document/MapCheck.h"
#include "document/MapCsv.h"
#include "document/OutputLabel.h"
#include "document/ReversePatch.h"

#include <QList>
#include <map>

namespace cli {

namespace {

using namespace modCVDMXMap;

int Characters(const QString &text)
{
    return int(QStringView(text).toUcs4().size());
}

QString LabelOf(int16_t entry, const MapLabels &labels)
{
    return entry >= 0 && entry < kOutputs ? labels.outputs[size_t(entry)] : QString();
}

// The channels whose entries show as no output although they are not none, in order.
std::vector<Finding> UnseenPatches(const MapTable &map)
{
    std::vector<Finding> unseen;
    for (const Finding &finding : MapFindings(map)) {
        if (finding.kind == Finding::Kind::HiddenPatch || finding.kind == Finding::Kind::OddEntry)
            unseen.push_back(finding);
    }
    return unseen;
}

// The reverse patch: each output with its label and the channels that drive it, then the
// channels whose entries show as no output although they are not none, as check names them.
void ShowByOutput(const MapTable &map, const MapLabels &labels, bool csv)
{
    const std::vector<OutputDrive> outputs = ReversePatch(map);
    if (csv) {
        Out(QStringLiteral("output,entry,channels,count,label"));
        for (const OutputDrive &output : outputs)
            Out(QStringLiteral("%1,%2,\"%3\",%4,")
                    .arg(output.label)
                    .arg(output.entry)
                    .arg(ChannelRuns(output.channels))
                    .arg(output.channels.size())
                + CsvField(LabelOf(output.entry, labels)));
        std::map<int16_t, std::vector<int>> unseen; // entry -> the channels that hold it
        for (const Finding &finding : UnseenPatches(map))
            unseen[finding.entry].push_back(finding.channels.front());
        for (const auto &[entry, channels] : unseen)
            Out(QStringLiteral("- - -,%1,\"%2\",%3,").arg(entry).arg(ChannelRuns(channels)).arg(channels.size())
                + CsvField(LabelOf(entry, labels)));
        return;
    }
    Out(DeviceAddressText(map[kDevAddEntry]));
    if (!labels.title.isEmpty())
        Out(QStringLiteral("Title: ") + labels.title);
    // The labels stand in a column of their own where there are any.
    int width = 0;
    for (const OutputDrive &output : outputs)
        width = std::max(width, Characters(LabelOf(output.entry, labels)));
    for (const OutputDrive &output : outputs) {
        QString line = output.label + QStringLiteral("  ");
        if (width > 0) {
            const QString label = LabelOf(output.entry, labels);
            line += label + QString(width - Characters(label), QLatin1Char(' ')) + QStringLiteral("  ");
        }
        const int count = int(output.channels.size());
        if (count == 0)
            line += QStringLiteral("not driven");
        else
            line += ChannelRuns(output.channels)
                + (count > 1 ? QStringLiteral("  [%1 channels]").arg(count) : QString());
        Out(line);
    }
    for (const Finding &finding : UnseenPatches(map)) {
        const QString label = LabelOf(finding.entry, labels);
        Out(finding.text + (label.isEmpty() ? QString() : QStringLiteral("; labelled ") + label));
    }
}

} // namespace

int RunShow(Job &job)
{
    const MapTable &map = job.maps[0];
    if (!job.byOutput && !job.csv) {
        const int16_t address = map[kDevAddEntry];
        Out(DeviceAddressText(address));
        Out(DeviceRangeText(map[kDevRangeEntry]));
        for (int c = 0; c < kChannels; ++c)
            Out(QStringLiteral("%1  ").arg(c + 1, 3, 10, QLatin1Char('0')) + OutputLabel(map[c], address));
        return kOk;
    }
    const std::optional<MapLabels> labels = UsableLabels(job.files[0], job.tails[0]);
    if (!labels)
        return kFileError;
    if (job.byOutput)
        ShowByOutput(map, *labels, job.csv);
    else
        Print(MapToCsv(map, *labels).toLocal8Bit());
    return kOk;
}

} // namespace cli
