#pragma once
#include <QString>
#include <optional>

// The serial ports COM1..COM8 and the devices they stand for.
namespace platform {

constexpr int kComPorts = 8;

// "COMn" for port n, counted from 1.
QString ComPortName(int commPort);
// n for exactly "COM1" .. "COM8" (the letters in any case); nothing for anything else,
// such as "COM01", "COM+3", "COM 2" or "COM9".
std::optional<int> ParseComPortName(const QString &text);

// The device of port COMn (n counted from 1): the value of key "COMn" in section
// "Ports" of the settings file, or /dev/ttyS(n-1) when that key is missing or empty.
// Read afresh at every call.
QString ComPortDevice(int commPort, const QString &settingsPath);
// Points COMn at device in section "Ports" of the settings file. False when the file
// cannot be written.
bool SetComPortDevice(int commPort, const QString &device, const QString &settingsPath);

} // namespace platform
