#include "document/MapFile.h"

#include "document/DeviceLists.h"
#include "platform/SafeFile.h"

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
        = platform::ReadRegularFile(path, kMapFileSize + kMaxLabelsBlock + 1, &content.error.reason);
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
    // Whatever a longer file holds after the map stays.
    const auto withTail = [&](const QByteArray &old) { return bytes + old.mid(kMapFileSize); };
    if (!platform::RewriteFile(path, withTail, &error.reason))
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
    QString refusal;
    // A refusal gives back the old bytes, and a file given its own bytes is not written.
    const auto withLabels = [&](const QByteArray &old) {
        const std::optional<QByteArray> tail = TailWithLabels(old.mid(kMapFileSize), labels, &refusal);
        return tail ? bytes + *tail : old;
    };
    if (!platform::RewriteFile(path, withLabels, &error.reason))
        error.kind = MapFileError::CannotSave;
    else if (!refusal.isEmpty())
        error = MapFileError{MapFileError::CannotSave, refusal};
    return error;
}

MapFileError ReadMapFile()
{
    const MapFileContent content = ReadMap(sMapFile);
    if (content.error.kind == MapFileError::None) {
        iDmxMap = content.map;
        tMapLabels = content.tail.kind == LabelsTail::Labels ? content.tail.labels : MapLabels();
        bMapChanged = false;
    }
    return content.error;
}

MapFileError WriteMapFile()
{
    const MapFileError error = WriteLabelledMap(sMapFile, iDmxMap, tMapLabels);
    if (error.kind == MapFileError::None)
        bMapChanged = false;
    return error;
}

} // namespace modCVDMXMap
