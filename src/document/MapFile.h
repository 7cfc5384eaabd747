#pragma once
#include "document/MapLabels.h"
#include "document/modCVDMXMap.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Map files: the 514 table entries as little-endian signed 16-bit integers, 1028 bytes,
// no header.
namespace modCVDMXMap {

constexpr int kMapFileSize = 2 * kEntries;

QByteArray MapToBytes(const MapTable &map);
// The table held in the first 1028 bytes, or nothing when there are fewer or the device
// address or range entry lies outside 0..15.
std::optional<MapTable> MapFromBytes(const QByteArray &bytes);

// Why a map file could not be read or written.
struct MapFileError {
    enum Kind { None, CannotOpen, NotValid, CannotSave } kind = None;
    QString reason; // the system's words, for CannotOpen and CannotSave; or why labels were refused
    // For NotValid, what makes the file no map: too short, or the first device entry
    // outside its list.
    enum Defect { TooShort, DevAddOutside, DevRangeOutside } defect = TooShort;
};

// What reading a map file gave: the table, or why there is none, and what follows the
// table: nothing, its labels, or bytes that are kept as they are.
struct MapFileContent {
    MapFileError error;
    MapTable map{};
    LabelsTail tail;
};

// Reads the table from the map file at path, its first 1028 bytes and no more. Only a
// regular file is read; a save of it that was interrupted is rolled back first.
MapFileContent ReadMap(const QString &path);
// The same, but a device address or range entry outside 0..15 is kept, for a check that
// reports it; only a file shorter than a map is not valid.
MapFileContent ReadMapEntries(const QString &path);
// Stores the table in the map file at path: its first 1028 bytes are replaced and a
// longer file keeps the rest, which is never read into memory. Afterwards the file holds
// either the whole new map or exactly its old bytes, even after a crash, and keeps its
// links, owner, group, mode and extended attributes.
MapFileError WriteMap(const QString &path, const MapTable &map);
// The same, with labels after the map in place of any labels the file holds (none for
// labels without text): a file that ends in bytes that are not labels keeps them when there
// are no labels, and refuses labels (CannotSave, with the reason) without a byte written.
MapFileError WriteLabelledMap(const QString &path, const MapTable &map, const MapLabels &labels);

} // namespace modCVDMXMap
