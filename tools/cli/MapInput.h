#pragma once
#include "document/MapFile.h"
#include "document/MapLabels.h"
#include "link/Protocol.h"

#include <QString>
#include <optional>

namespace cli {

// Why a file is not a valid map file, as the parenthesis after "Not A Valid Map File." says
// it: "shorter than 1028 bytes", "device address outside 0..15"...
QString DefectText(modCVDMXMap::MapFileError::Defect defect);

// The table in a map file, read and validated as the editor reads it (unless keepAny: then
// device entries outside the lists are kept); the reason is reported when it cannot be had.
// What follows the table goes to *tail when tail is given.
std::optional<dmxlink::MapTable> ReadMap(const QString &path, bool keepAny = false,
                                         modCVDMXMap::LabelsTail *tail = nullptr);

// The title and labels of the map file at path, whose table is followed by tail: none when
// it ends in bytes that are not labels. Damaged labels are reported and give nothing.
std::optional<modCVDMXMap::MapLabels> UsableLabels(const QString &path, const modCVDMXMap::LabelsTail &tail);

} // namespace cli
