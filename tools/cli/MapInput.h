#pragma once
#include "link/Protocol.h"

#include <QString>
#include <optional>

namespace cli {

// The table in a map file, read and validated as the editor reads it; the reason is
// reported when it cannot be had.
std::optional<dmxlink::MapTable> ReadMap(const QString &path);

} // namespace cli
