#pragma once
#include <cstdint>

// The settings file's one setting: the serial port of the communications window, section
// "Download", key "Com Port", stored as its number from 1 (1 = COM1) and handed over as an
// index from 0.
namespace modCVDMXMap {

// The port the settings file holds (index 0 when it holds none), written back at once so
// that the file holds the key afterwards. A stored number beyond +-32767 gives -1: no
// port, as 0 and 9 give none; the caller puts such a port right.
int16_t LoadComPort();
// Stores port + 1. A file that cannot be written is left as it was.
void SaveComPort(int16_t port);

} // namespace modCVDMXMap
