#include "document/MapFile.h"

#include "document/DeviceLists.h"
#include "platform/SafeFile.h"

#include <algorithm>

namespace modCVDMXMap {

QByteArray MapToBytes(const MapTable &map)
{
    QByteArray bytes(kMapFileSize, '\0');
    for (int k = 0; k < kEntries; ++k) {
        const uint16_t v = uint16_t(map[k]);
        bytes[2 * k] = char(v & 0xFF);
        bytes[2 * k + 1] = char(v >> 8);
    }
    return bytes;
}

namespace {

// The 514 entries of the first 1028 bytes, whatever they hold.
std::optional<MapTable> EntriesFromBytes(const QByteArray &bytes)
{
    if (bytes.size() < kMapFileSize)
        return std::nullopt;
    MapTable map;
    for (int k = 0; k < kEntries; ++k)
        map[k] = int16_t(uint16_t(uint8_t(bytes[2 * k])) | uint16_t(uint8_t(bytes[2 * k + 1])) << 8);
    return map;
}

bool OutsideList(int16_t entry)
{
    return entry < 0 || entry >= kDeviceListEntries;
}

// The device entry that lies outside its list, address first, if either does.
std::optional<MapFileError::Defect> DeviceDefect(const MapTable &map)
{
    if (OutsideList(map[kDevAddEntry]))
        return MapFileError::DevAddOutside;
    if (OutsideList(map[kDevRangeEntry]))
        return MapFileError::DevRangeOutside;
    return std::nullopt;
}

// The file's table; its device entries must lie in their lists when checkDevices is set.
MapFileContent Read(const QString &path, bool checkDevices)
{
    MapFileContent content;
    // Enough to tell a labels block from what is longer than any.
    const std::optional<QByteArray> bytes
        = platform::ReadSavedFile(path, kMapFileSize + kMaxLabelsBlock + 1, &content.error.reason);
    if (!bytes) {
        content.error.kind = MapFileError::CannotOpen;
        return content;
    }
    const std::optional<MapTable> map = EntriesFromBytes(*bytes);
    const std::optional<MapFileError::Defect> defect = !map ? MapFileError::TooShort
        : checkDevices                                      ? DeviceDefect(*map)
                                                            : std::nullopt;
    if (defect) {
        content.error.kind = MapFileError::NotValid;
        content.error.defect = *defect;
    } else {
        content.map = *map;
        content.tail = ReadLabelsTail(bytes->mid(kMapFileSize));
    }
    return content;
}

} // namespace

std::optional<MapTable> MapFromBytes(const QByteArray &bytes)
{
    const std::optional<MapTable> map = EntriesFromBytes(bytes);
    if (map && DeviceDefect(*map))
        return std::nullopt;
    return map;
}

MapFileContent ReadMap(const QString &path)
{
    return Read(path, true);
}

MapFileContent ReadMapEntries(const QString &path)
{
    return Read(path, false);
}

MapFileError WriteMap(const QString &path, const MapTable &map)
{
    const QByteArray bytes = MapToBytes(map);
    MapFileError error;
    // Whatever a longer file holds after the map stays, copied by the kernel.
    const auto withTail = [&](const platform::OldContent &, QString *) {
        return std::optional<platform::NewContent>({bytes, kMapFileSize});
    };
    if (!platform::RewriteFile(path, kMapFileSize, withTail, &error.reason))
        error.kind = MapFileError::CannotSave;
    return error;
}

MapFileError WriteLabelledMap(const QString &path, const MapTable &map, const MapLabels &labels)
{
    MapFileError error;
    error.reason = LabelsProblem(labels);
    if (!error.reason.isEmpty()) {
        error.kind = MapFileError::CannotSave;
        return error;
    }
    const QByteArray bytes = MapToBytes(map);
    // The labels' block (or nothing) replaces a block; bytes that are not labels are kept
    // by the kernel when there are no labels, and refuse labels.
    const auto withLabels
        = [&](const platform::OldContent &old, QString *refusal) -> std::optional<platform::NewContent> {
        const LabelsTail tail
            = ReadLabelsTail(old.head.mid(kMapFileSize), std::max<qint64>(0, old.size - kMapFileSize));
        *refusal = LabelsRefusal(tail, labels);
        if (!refusal->isEmpty())
            return std::nullopt;
        if (tail.kind == LabelsTail::Damaged || tail.kind == LabelsTail::Foreign)
            return platform::NewContent{bytes, kMapFileSize};
        return platform::NewContent{bytes + LabelsBlock(labels), std::nullopt};
    };
    if (!platform::RewriteFile(path, kMapFileSize + kMaxLabelsBlock + 1, withLabels, &error.reason))
        error.kind = MapFileError::CannotSave;
    return error;
}

} // namespace modCVDMXMap
