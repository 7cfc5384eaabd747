#pragma once
#include "link/Protocol.h"

#include <QString>
#include <optional>

namespace cli {

// The table in a map file, read and validated as the editor reads it (unless keepAny: then
// device entries outside the lists are kept); the reason is reported when it cannot be had.
std::optional<dmxlink::MapTable> ReadMap(const QString &path, bool keepAny = false);

} // namespace cli
