#include "MapFolder.h"

#include "MapInput.h"

#include "document/MapFile.h"
#include "link/Protocol.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace cli {

namespace {

const QString kMapExtension = QStringLiteral(".CVX");

QString ReasonOf(const modCVDMXMap::MapFileError &error)
{
    if (error.kind == modCVDMXMap::MapFileError::NotValid)
        return QStringLiteral("not a valid map file (") + DefectText(error.defect) + QLatin1Char(')');
    return error.reason;
}

} // namespace

std::optional<MapFolder> ReadMapFolder(const QString &folder, QString *reason)
{
    namespace fs = std::filesystem;
    const QString dir = QDir::cleanPath(folder);
    std::error_code error;
    // The listing is streamed: one entry, and one map file, at a time.
    fs::directory_iterator entry(fs::path(QFile::encodeName(dir).toStdString()), error);
    MapFolder result;
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(entry->path().filename().native()));
        if (!name.endsWith(kMapExtension, Qt::CaseInsensitive))
            continue;
        const QString path = QDir::cleanPath(dir + QLatin1Char('/') + name);
        const modCVDMXMap::MapFileContent content = modCVDMXMap::ReadMap(path);
        if (content.error.kind == modCVDMXMap::MapFileError::None)
            result.maps.push_back(
                {name, path, dmxlink::MapChecksumText(content.map),
                 content.tail.kind == modCVDMXMap::LabelsTail::Labels ? content.tail.labels.title : QString()});
        else
            result.skipped.push_back({path, ReasonOf(content.error)});
    }
    if (error) {
        *reason = QString::fromLocal8Bit(error.message().c_str());
        return std::nullopt;
    }
    std::sort(result.maps.begin(), result.maps.end(),
              [](const FolderMap &a, const FolderMap &b) { return a.name < b.name; });
    std::sort(result.skipped.begin(), result.skipped.end(),
              [](const SkippedFile &a, const SkippedFile &b) { return a.path < b.path; });
    return result;
}

} // namespace cli
