#pragma once
#include <QString>
#include <optional>

namespace cli {

// The device behind PORT: COM1..COM8 through the editor's settings file, or a path.
// Nothing for any other word.
std::optional<QString> PortDevice(const QString &port);

} // namespace cli
