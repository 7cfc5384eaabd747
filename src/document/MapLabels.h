#pragma once
#include "document/Outputs.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The user's names for what a map drives: a title for the map and a label for each of the
// 64 outputs, kept by entry value 0..63 so that a label stays with its output when the
// device address renumbers the outputs. A map file carries them in one block after its
// 1028 bytes:
//   "CVDMXLBL"                            signature, 8 bytes
//   version                               16-bit little-endian, 1
//   payload length                        32-bit little-endian
//   payload                               the title, then the labels of entries 0..63, each
//                                         its UTF-8 byte count (16-bit little-endian) and
//                                         its UTF-8 bytes
//   CRC-32 of all that comes before it    32-bit little-endian
// A map without a title and labels has no block. Nothing of it reaches a controller.
namespace modCVDMXMap {

// A title or label is one line of at most this many characters (Unicode code points).
constexpr int kLabelMaxLength = 64;
constexpr int kLabelsVersion = 1;
// The largest block: 65 texts of 64 characters of 4 UTF-8 bytes each, with their counts,
// and the header and checksum around them. A longer tail cannot be one.
constexpr int kLabelsHeaderSize = 8 + 2 + 4;
constexpr int kLabelsChecksumSize = 4;
constexpr int kMaxLabelsPayload = (1 + kOutputs) * (2 + 4 * kLabelMaxLength);
constexpr int kMaxLabelsBlock = kLabelsHeaderSize + kMaxLabelsPayload + kLabelsChecksumSize; // 16788

struct MapLabels {
    QString title;
    std::array<QString, kOutputs> outputs; // by entry value

    bool IsEmpty() const;
    bool operator==(const MapLabels &other) const { return title == other.title && outputs == other.outputs; }
    bool operator!=(const MapLabels &other) const { return !(*this == other); }
};

// Why text cannot be a title or label ("is longer than 64 characters (70)"), or "" when
// it can: one line of valid Unicode, no control character, at most 64 characters.
QString LabelTextProblem(const QString &text);
// The first problem of any text of labels, named ("the label of entry 5 holds ..."), or "".
QString LabelsProblem(const MapLabels &labels);

// The block that carries labels, or nothing for labels without any text. The texts must
// pass LabelTextProblem.
QByteArray LabelsBlock(const MapLabels &labels);

// What follows the 1028 bytes of a map in its file.
struct LabelsTail {
    enum Kind {
        None,    // nothing
        Labels,  // a sound labels block
        Damaged, // begins as a labels block but is not a sound one: kept, never read
        Foreign, // something else: kept, never read
    };
    Kind kind = None;
    MapLabels labels; // for Labels
    QString problem;  // for Damaged and Foreign: why these bytes are no labels
    qint64 size = 0;  // the bytes seen

    // The labels that go with the map: none unless the tail is a sound labels block.
    MapLabels LabelsOrNone() const { return kind == Labels ? labels : MapLabels(); }
};

// Reads the bytes after a map: tail holds them all, or, when tailSize (the count of bytes
// after the map) is given, at least their first kMaxLabelsBlock + 1: what is longer is no
// labels block, and a caller need read no more.
LabelsTail ReadLabelsTail(const QByteArray &tail, qint64 tailSize = -1);

// Why labels may not be saved after a map whose file ends in old: the bytes there are not
// labels (foreign or damaged) and would be overwritten; "" when they may.
QString LabelsRefusal(const LabelsTail &old, const MapLabels &labels);

// The label a cell holding entry shows under device address index a: the entry's label
// when the cell shows an output, else "".
QString CellLabelOf(int16_t entry, int a, const MapLabels &labels);

// The CRC-32 of ISO-HDLC (zlib, PNG) over bytes.
uint32_t Crc32(const QByteArray &bytes);

} // namespace modCVDMXMap
