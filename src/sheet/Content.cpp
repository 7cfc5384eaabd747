#include "sheet/Content.h"

#include "document/DeviceLists.h"
#include "document/MapCheck.h"
#include "document/OutputLabel.h"
#include "document/ReversePatch.h"
#include "link/Protocol.h"
#include "sheet/Text.h"

#include <algorithm>

namespace sheet {

using namespace modCVDMXMap;

namespace {

const QString kNoOutputText = QStringLiteral("- - -");
const QChar kNoBreakSpace(0x00A0);

Mark MarkOf(Finding::Kind kind)
{
    switch (kind) {
    case Finding::Kind::SharedOutput:
        return Mark::Shared;
    case Finding::Kind::HiddenPatch:
        return Mark::Hidden;
    case Finding::Kind::OddEntry:
        return Mark::Odd;
    default:
        return Mark::None;
    }
}

QString Label(const Sheet &sheet, int entry)
{
    return entry >= 0 && entry < kOutputs ? OneLine(sheet.labels[size_t(entry)]) : QString();
}

} // namespace

QString Symbol(Mark mark)
{
    switch (mark) {
    case Mark::Shared:
        return QStringLiteral("\u25C6"); // black diamond
    case Mark::Hidden:
        return QStringLiteral("\u25B2"); // black up-pointing triangle
    case Mark::Odd:
        return QStringLiteral("\u25A0"); // black square
    case Mark::None:
        break;
    }
    return QString();
}

QString Meaning(Mark mark)
{
    switch (mark) {
    case Mark::Shared:
        return QStringLiteral("output driven by several channels");
    case Mark::Hidden:
        return QStringLiteral("patched to an output past device 16: shows as - - -");
    case Mark::Odd:
        return QStringLiteral("entry neither an output nor none: shown as - - -");
    case Mark::None:
        break;
    }
    return QString();
}

Content ContentOf(const Sheet &sheet)
{
    const MapTable &map = sheet.map;
    const int16_t address = map[kDevAddEntry];
    Content content;
    content.fileName = OneLine(sheet.fileName);
    content.title = OneLine(sheet.title);
    content.date = sheet.date.toString(Qt::ISODate);
    content.device = DeviceAddressText(address) + QStringLiteral("      ") + DeviceRangeText(map[kDevRangeEntry])
        + QStringLiteral("      Checksum: ") + dmxlink::MapChecksumText(map);
    content.patchHeading = QStringLiteral("Outputs at ") + DeviceAddressText(address)
        + QStringLiteral(" and the channels that drive them");

    for (int c = 0; c < kChannels; ++c) {
        GridCell &cell = content.cells[size_t(c)];
        cell.output = OutputLabel(map[c], address);
        if (cell.output != kNoOutputText)
            cell.label = Label(sheet, map[c]);
    }
    std::vector<int16_t> shared;
    for (const Finding &finding : MapFindings(map)) {
        const Mark mark = MarkOf(finding.kind);
        if (mark == Mark::None)
            continue;
        for (int channel : finding.channels)
            content.cells[size_t(channel - 1)].mark = mark;
        if (mark == Mark::Shared)
            shared.push_back(finding.entry);
        else
            content.listed.push_back({mark, finding.text});
        if (std::find(content.marks.begin(), content.marks.end(), mark) == content.marks.end())
            content.marks.push_back(mark);
    }
    std::sort(content.marks.begin(), content.marks.end());

    for (const OutputDrive &output : ReversePatch(map)) {
        PatchEntry entry;
        entry.output = output.label;
        entry.label = Label(sheet, output.entry);
        entry.driven = !output.channels.empty();
        if (std::find(shared.begin(), shared.end(), output.entry) != shared.end())
            entry.mark = Mark::Shared;
        if (!entry.driven)
            entry.channels = QStringLiteral("not driven");
        else if (entry.mark == Mark::Shared)
            entry.channels = ChannelRuns(output.channels)
                + QStringLiteral(" [%1%2channels]").arg(output.channels.size()).arg(kNoBreakSpace);
        else
            entry.channels = ChannelRuns(output.channels);
        content.outputs.push_back(entry);
    }
    return content;
}

} // namespace sheet
