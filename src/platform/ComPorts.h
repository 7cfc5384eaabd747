#pragma once
#include <QString>

namespace platform {

// The device of port COMn (n counted from 1): the value of key "COMn" in section
// "Ports" of the settings file, or /dev/ttyS(n-1) when that key is missing or empty.
// Read afresh at every call; nothing here writes the settings file.
QString ComPortDevice(int commPort, const QString &settingsPath);

} // namespace platform
