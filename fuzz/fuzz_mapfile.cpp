// Any bytes as a map file, read by the editor's reader. A refused file leaves the
// document as it was; an accepted one is decoded as 514 little-endian 16-bit entries, its
// labels read when a sound block follows, then saved over with one entry changed, under a
// file-size limit the input may choose.
#include "Check.h"
#include "editor/DocumentGlobals.h"
#include "kit/TempHome.h"

#include <QFile>
#include <cstdint>
#include <cstring>
#include <sys/resource.h>

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
    static TempHome home(ScratchParent());
    gPath = home.Path() + QStringLiteral("/fuzz.CVX");
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
    sMapFile = kNoFile;

    const MapFileError error = ReadMapFile(gPath);
    const std::optional<MapTable> expected = Decode(data, size);
    if (!expected) {
        Require(error.kind == MapFileError::NotValid, "a bad map file was not refused as not valid");
        Require(sMapFile == kNoFile, "a refused file changed the file name");
        Require(iDmxMap == Sentinel(), "a refused file changed the map");
        Require(bMapChanged, "a refused file cleared the changed flag");
        Require(!MapFromBytes(bytes), "MapFromBytes accepts what the reader refuses");
        return 0;
    }
    Require(error.kind == MapFileError::None, "a valid map file was refused");
    Require(sMapFile == gPath, "reading did not take the file name");
    Require(iDmxMap == *expected, "the map read differs from the file's entries");
    Require(!bMapChanged, "reading left the changed flag set");
    Require(MapToBytes(iDmxMap) == bytes.left(kMapFileSize), "the map's bytes differ from the file's");

    // Labels come from a sound block alone; any other tail is kept as it is.
    const QByteArray tail = bytes.mid(kMapFileSize);
    const LabelsTail read = ReadLabelsTail(tail);
    Require(read.kind == LabelsTail::Labels || tMapLabels == MapLabels(), "labels read from no labels block");
    Require(read.kind != LabelsTail::Labels || tMapLabels == read.labels, "the labels read differ from the block's");
    Require(read.kind != LabelsTail::Labels || LabelsProblem(tMapLabels).isEmpty(), "labels read that are no labels");

    // An edited map is saved over the file, under a file-size limit that the input's first
    // byte may choose below the file's size: the file then holds either the whole new map
    // with the old tail (a labels block written anew from the labels read), or exactly its
    // old bytes, and the save says which.
    iDmxMap[0] = int16_t(iDmxMap[0] ^ 1);
    const MapTable edited = iDmxMap;
    const QByteArray saved = MapToBytes(edited) + (read.kind == LabelsTail::Labels ? LabelsBlock(read.labels) : tail);
    bMapChanged = true;
    const rlim_t limit = data[0] >= 128 ? rlim_t(size) * (data[0] - 128) / 128 : RLIM_INFINITY;
    rlimit old{};
    Require(getrlimit(RLIMIT_FSIZE, &old) == 0, "cannot read the file-size limit");
    const rlimit limited{limit, old.rlim_max};
    Require(setrlimit(RLIMIT_FSIZE, &limited) == 0, "cannot set the file-size limit");
    const MapFileError written = WriteMapFile(gPath);
    Require(setrlimit(RLIMIT_FSIZE, &old) == 0, "cannot restore the file-size limit");
    Require(iDmxMap == edited, "saving changed the map");
    const QByteArray now = ReadFile(gPath);
    if (written.kind == MapFileError::None) {
        Require(!bMapChanged, "saving left the changed flag set");
        Require(now == saved, "a save that reported success left other bytes");
    } else {
        Require(written.kind == MapFileError::CannotSave && !written.reason.isEmpty(),
                "a failed save was not reported");
        Require(limit < rlim_t(saved.size()), "a save failed without a limit in its way");
        Require(bMapChanged, "a failed save cleared the changed flag");
        Require(now == bytes, "a failed save changed the file");
    }
    return 0;
}
