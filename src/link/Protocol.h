#pragma once
#include "document/modCVDMXMap.h"

#include <QString>
#include <array>
#include <cstdint>

// The controller's command frames and the map checksum, as plain functions.
namespace dmxlink {

using MapTable = modCVDMXMap::MapTable;

constexpr int kBlocks = 8;
constexpr int kBlockEntries = 64;
constexpr int kBlockFrameLength = 136;

// Reply characters awaited for each command.
constexpr int16_t kBlockReplyLength = 4;
constexpr int16_t kChecksumReplyLength = 18;
constexpr int16_t kFirmRevReplyLength = 20;

// Where the values sit in a reply (counted from 0).
constexpr int kChecksumPos = 1;
constexpr int kChecksumDigits = 16;
constexpr int kFirmRevPos = 1;
constexpr int kFirmRevLength = 18;

extern const QString kChecksumCommand; // "[03]"
extern const QString kFirmRevCommand;  // "[04]"

// "[01" + start index (4 hex digits) + Hex2 of the block's 64 entries + "]".
QString BlockFrame(const MapTable &map, int block);

// The 64-bit checksum of entries 0..511 as 16 upper-case hex digits. The register is
// eight signed 16-bit cells, so entries outside 0..255 count with all their bits.
QString MapChecksumText(const MapTable &map);

} // namespace dmxlink
