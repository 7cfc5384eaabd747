#pragma once
#include "document/modCVDMXMap.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Map files: the 514 table entries as little-endian signed 16-bit integers, 1028 bytes,
// no header.
namespace modCVDMXMap {

constexpr int kMapFileSize = 2 * kEntries;

using MapTable = std::array<int16_t, kEntries>;

QByteArray MapToBytes(const MapTable &map);
// The table held in the first 1028 bytes, or nothing when there are fewer or the device
// address or range entry lies outside 0..15.
std::optional<MapTable> MapFromBytes(const QByteArray &bytes);

// Why a map file could not be read or written.
struct MapFileError {
    enum Kind { None, CannotOpen, NotValid, CannotSave } kind = None;
    QString reason; // the system's words, for CannotOpen and CannotSave
};

// Loads the whole table from the file named by sMapFile. On failure nothing changes.
MapFileError ReadMapFile();
// Stores the whole table into the file named by sMapFile: the first 1028 bytes are
// replaced, a longer file keeps the rest. The old file stays whole when writing fails.
MapFileError WriteMapFile();

} // namespace modCVDMXMap
