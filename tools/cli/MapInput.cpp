#include "MapInput.h"

#include "Output.h"
#include "document/MapFile.h"

namespace cli {

QString DefectText(modCVDMXMap::MapFileError::Defect defect)
{
    using modCVDMXMap::MapFileError;
    switch (defect) {
    case MapFileError::TooShort:
        return QStringLiteral("shorter than %1 bytes").arg(modCVDMXMap::kMapFileSize);
    case MapFileError::DevAddOutside:
        return QStringLiteral("device address outside 0..15");
    case MapFileError::DevRangeOutside:
        return QStringLiteral("device range outside 0..15");
    }
    return QString();
}

std::optional<dmxlink::MapTable> ReadMap(const QString &path, bool keepAny, modCVDMXMap::LabelsTail *tail)
{
    using modCVDMXMap::MapFileError;
    const modCVDMXMap::MapFileContent content
        = keepAny ? modCVDMXMap::ReadMapEntries(path) : modCVDMXMap::ReadMap(path);
    switch (content.error.kind) {
    case MapFileError::None:
        if (tail)
            *tail = content.tail;
        return content.map;
    case MapFileError::NotValid:
        Error(path + QStringLiteral(": Not A Valid Map File. (") + DefectText(content.error.defect) + QLatin1Char(')'));
        break;
    case MapFileError::CannotOpen:
    case MapFileError::CannotSave:
        Error(path + QStringLiteral(": Unable To Open Map File. (") + content.error.reason + QLatin1Char(')'));
        break;
    }
    return std::nullopt;
}

std::optional<modCVDMXMap::MapLabels> UsableLabels(const QString &path, const modCVDMXMap::LabelsTail &tail)
{
    using modCVDMXMap::LabelsTail;
    if (tail.kind == LabelsTail::Damaged) {
        Error(path + QStringLiteral(": ") + tail.problem);
        return std::nullopt;
    }
    return tail.LabelsOrNone();
}

} // namespace cli
