#pragma once
#include "comm/CommDocument.h"
#include "document/MapFile.h"

#include <QString>

// The windows' side of the document module: what binds the module globals to the map
// file, the settings file and the communications window. The document and link code takes
// and returns values; only these read and assign the globals.
namespace modCVDMXMap {

// Reads the map file n. Read: sMapFile becomes n, iDmxMap and tMapLabels take the file's
// table and labels (none unless it holds a sound labels block), and bMapChanged is
// cleared. Not read: nothing changes.
MapFileError ReadMapFile(const QString &n);
// Stores iDmxMap and tMapLabels in the map file n. Stored: sMapFile becomes n and
// bMapChanged is cleared. Not stored: nothing changes.
MapFileError WriteMapFile(const QString &n);

// iComPort from the settings file, which then holds it.
void LoadSettings();
// iComPort + 1 into the settings file.
void SaveSettings();
// Start-up's check of the port loaded: one outside COM1..COM8 becomes COM1, saved at once.
void CheckComPort();

// The communications window's document: iDmxMap as it stands at each download, and
// iComPort, which each port chosen replaces and SaveSettings stores.
CommDocument CommWindowDocument();

} // namespace modCVDMXMap
