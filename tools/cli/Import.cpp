#include "Command.h"
#include "Output.h"
#include "Status.h"
#include "document/DeviceLists.h"
#include "document/MapCsv.h"
#include "document/MapFile.h"
#include "platform/SafeFile.h"

#include <algorithm>

namespace cli {

int RunImport(Job &job)
{
    using namespace modCVDMXMap;
    const QString &csvFile = job.files[0];
    QString reason;
    const std::optional<QByteArray> bytes
        = platform::ReadRegularFile(csvFile, kCsvLimit, &reason, platform::Longer::Refused);
    if (!bytes) {
        Error(csvFile + QStringLiteral(": cannot read it (") + reason + QLatin1Char(')'));
        return kFileError;
    }
    const CsvMap read = MapFromCsv(*bytes);
    if (read.error) {
        Error(csvFile + QStringLiteral(": ") + read.error->Text() + QStringLiteral("; nothing written"));
        return kFileError;
    }
    const MapFileError written = WriteMap(job.output, read.map);
    if (written.kind != MapFileError::None) {
        Error(job.output + QStringLiteral(": Unable To Save Map File. (") + written.reason + QLatin1Char(')'));
        return kFileError;
    }
    const auto patched = std::count_if(read.map.begin(), read.map.begin() + kChannels,
                                       [](int16_t entry) { return entry != kNoOutput; });
    Out(job.output + QStringLiteral(": %1 of 512 channels patched, ").arg(patched)
        + DeviceAddressText(read.map[kDevAddEntry]) + QStringLiteral(", ") + DeviceRangeText(read.map[kDevRangeEntry]));
    return kOk;
}

} // namespace cli
