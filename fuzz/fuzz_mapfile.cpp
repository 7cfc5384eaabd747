// Any bytes as a map file, read by the editor's reader. A refused file leaves the
// document as it was; an accepted one is decoded as 514 little-endian 16-bit entries and
// written back over itself unchanged, the bytes after the first 1028 included.
#include "Check.h"
#include "ScratchHome.h"
#include "document/MapFile.h"

#include <QFile>
#include <cstdint>
#include <cstring>

using namespace modCVDMXMap;

namespace {

QString gPath;

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    Require(f.open(QIODevice::ReadOnly), "cannot read the map file back");
    return f.readAll();
}

// The entries decoded here, apart from the reader, or nothing for a file to refuse.
std::optional<MapTable> Decode(const uint8_t *data, size_t size)
{
    if (size < size_t(kMapFileSize))
        return std::nullopt;
    MapTable map;
    for (int k = 0; k < kEntries; ++k)
        map[size_t(k)] = int16_t(data[2 * k] | data[2 * k + 1] << 8);
    for (int k : {kDevAddEntry, kDevRangeEntry}) {
        if (map[size_t(k)] < 0 || map[size_t(k)] > 15)
            return std::nullopt;
    }
    return map;
}

// A table no file decodes to: device address 99.
MapTable Sentinel()
{
    MapTable map;
    for (int k = 0; k < kEntries; ++k)
        map[size_t(k)] = int16_t(k * 7 - 1000);
    map[kDevAddEntry] = 99;
    return map;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    gPath = UseScratchHome() + QStringLiteral("/fuzz.CVX");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(gPath);
        Require(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input file");
        Require(f.write(bytes) == bytes.size(), "short write of the input file");
    }
    iDmxMap = Sentinel();
    bMapChanged = true;
    sMapFile = gPath;

    const MapFileError error = ReadMapFile();
    const std::optional<MapTable> expected = Decode(data, size);
    Require(sMapFile == gPath, "reading changed the file name");
    if (!expected) {
        Require(error.kind == MapFileError::NotValid, "a bad map file was not refused as not valid");
        Require(iDmxMap == Sentinel(), "a refused file changed the map");
        Require(bMapChanged, "a refused file cleared the changed flag");
        Require(!MapFromBytes(bytes), "MapFromBytes accepts what the reader refuses");
        return 0;
    }
    Require(error.kind == MapFileError::None, "a valid map file was refused");
    Require(iDmxMap == *expected, "the map read differs from the file's entries");
    Require(!bMapChanged, "reading left the changed flag set");
    Require(MapToBytes(iDmxMap) == bytes.left(kMapFileSize), "the map's bytes differ from the file's");

    bMapChanged = true;
    Require(WriteMapFile().kind == MapFileError::None, "writing the map back failed");
    Require(!bMapChanged, "writing left the changed flag set");
    Require(ReadFile(gPath) == bytes, "writing the map back changed the file");
    return 0;
}
