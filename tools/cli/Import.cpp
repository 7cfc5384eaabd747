#include "Command.h"
#include "CsvInput.h"
#include "Output.h"
#include "Status.h"
#include "document/DeviceLists.h"
#include "document/MapCsv.h"
#include "document/MapFile.h"

#include <algorithm>

namespace cli {

int RunImport(Job &job)
{
    using namespace modCVDMXMap;
    const QString &csvFile = job.files[0];
    const std::optional<QByteArray> bytes = ReadCsvInput(csvFile);
    if (!bytes)
        return kFileError;
    const CsvMap read = MapFromCsv(*bytes);
    if (read.error) {
        Error(CsvInputName(csvFile) + QStringLiteral(": ") + read.error->Text() + QStringLiteral("; nothing written"));
        return kFileError;
    }
    // Rows without labels leave the file's own as they are.
    const MapFileError written
        = read.labels ? WriteLabelledMap(job.output, read.map, *read.labels) : WriteMap(job.output, read.map);
    if (written.kind != MapFileError::None) {
        Error(job.output + QStringLiteral(": Unable To Save Map File. (") + written.reason + QLatin1Char(')'));
        return kFileError;
    }
    const auto patched = std::count_if(read.map.begin(), read.map.begin() + kChannels,
                                       [](int16_t entry) { return entry != kNoOutput; });
    QString labelled;
    if (read.labels) {
        const auto count = std::count_if(read.labels->outputs.begin(), read.labels->outputs.end(),
                                         [](const QString &label) { return !label.isEmpty(); });
        labelled = QStringLiteral(", %1 of 64 outputs labelled").arg(count)
            + (read.labels->title.isEmpty() ? QString()
                                            : QStringLiteral(", titled \"") + read.labels->title + QLatin1Char('"'));
    }
    Out(job.output + QStringLiteral(": %1 of 512 channels patched, ").arg(patched)
        + DeviceAddressText(read.map[kDevAddEntry]) + QStringLiteral(", ") + DeviceRangeText(read.map[kDevRangeEntry])
        + labelled);
    return kOk;
}

} // namespace cli
