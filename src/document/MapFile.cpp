#include "document/MapFile.h"

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

MapFileContent Read(const QString &path, std::optional<MapTable> (*decode)(const QByteArray &))
{
    MapFileContent content;
    const std::optional<QByteArray> bytes = platform::ReadSavedFile(path, kMapFileSize, &content.error.reason);
    if (!bytes) {
        content.error.kind = MapFileError::CannotOpen;
        return content;
    }
    const std::optional<MapTable> map = decode(*bytes);
    if (!map)
        content.error.kind = MapFileError::NotValid;
    else
        content.map = *map;
    return content;
}

} // namespace

std::optional<MapTable> MapFromBytes(const QByteArray &bytes)
{
    std::optional<MapTable> map = EntriesFromBytes(bytes);
    for (int k : {kDevAddEntry, kDevRangeEntry}) {
        if (map && (map->at(k) < 0 || map->at(k) > 15))
            return std::nullopt;
    }
    return map;
}

MapFileContent ReadMap(const QString &path)
{
    return Read(path, MapFromBytes);
}

MapFileContent ReadMapEntries(const QString &path)
{
    return Read(path, EntriesFromBytes);
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

MapFileError ReadMapFile()
{
    const MapFileContent content = ReadMap(sMapFile);
    if (content.error.kind == MapFileError::None) {
        iDmxMap = content.map;
        bMapChanged = false;
    }
    return content.error;
}

MapFileError WriteMapFile()
{
    const MapFileError error = WriteMap(sMapFile, iDmxMap);
    if (error.kind == MapFileError::None)
        bMapChanged = false;
    return error;
}

} // namespace modCVDMXMap
