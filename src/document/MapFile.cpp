#include "document/MapFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

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

std::optional<MapTable> MapFromBytes(const QByteArray &bytes)
{
    if (bytes.size() < kMapFileSize)
        return std::nullopt;
    MapTable map;
    for (int k = 0; k < kEntries; ++k)
        map[k] = int16_t(uint16_t(uint8_t(bytes[2 * k])) | uint16_t(uint8_t(bytes[2 * k + 1])) << 8);
    for (int k : {kDevAddEntry, kDevRangeEntry}) {
        if (map[k] < 0 || map[k] > 15)
            return std::nullopt;
    }
    return map;
}

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes bytes from the start of a file opened for writing, unbuffered, and closes it.
MapFileError WriteOpened(QFile &f, const QByteArray &bytes)
{
    if (f.write(bytes) != bytes.size() || !f.flush())
        return {MapFileError::CannotSave, f.errorString()};
    f.close();
    if (f.error() != QFileDevice::NoError)
        return {MapFileError::CannotSave, f.errorString()};
    return {};
}

// A save that succeeded leaves the map unchanged.
MapFileError Saved(const MapFileError &result)
{
    if (result.kind == MapFileError::None)
        bMapChanged = false;
    return result;
}

} // namespace

MapFileError ReadMapFile()
{
    const QString path = sMapFile;
    if (QFileInfo(path).isDir())
        return {MapFileError::CannotOpen, SystemReason(EISDIR)};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {MapFileError::CannotOpen, f.errorString()};
    const QByteArray bytes = f.read(kMapFileSize);
    if (f.error() != QFileDevice::NoError)
        return {MapFileError::CannotOpen, f.errorString()};
    f.close();
    const std::optional<MapTable> map = MapFromBytes(bytes);
    if (!map)
        return {MapFileError::NotValid, QString()};
    iDmxMap = *map;
    bMapChanged = false;
    return {};
}

MapFileError WriteMapFile()
{
    const QString path = sMapFile;
    const QFileInfo info(path);
    QByteArray bytes = MapToBytes(iDmxMap);

    if (info.isDir())
        return {MapFileError::CannotSave, SystemReason(EISDIR)};
    // A device, say: a replacement by rename would swap out the device node itself.
    if (info.exists() && !info.isFile()) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return {MapFileError::CannotSave, f.errorString()};
        return Saved(WriteOpened(f, bytes));
    }

    // Keep whatever a longer file holds after the map.
    if (info.exists() && info.size() > kMapFileSize) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly))
            return {MapFileError::CannotSave, old.errorString()};
        old.seek(kMapFileSize);
        const QByteArray tail = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return {MapFileError::CannotSave, old.errorString()};
        bytes += tail;
    }

    // The new file takes the old one's place only once it is complete.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        // A file the user may write in a folder that takes no new file cannot be replaced:
        // its map is overwritten where it stands, which never shortens it.
        QFile inPlace(path);
        if (!info.isFile() || !inPlace.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            return {MapFileError::CannotSave, f.errorString()};
        return Saved(WriteOpened(inPlace, bytes.left(kMapFileSize)));
    }
    if (f.write(bytes) != bytes.size() || !f.commit())
        return {MapFileError::CannotSave, f.errorString()};
    return Saved({});
}

} // namespace modCVDMXMap
