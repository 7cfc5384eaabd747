#pragma once
#include "document/modCVDMXMap.h"

#include <QStringList>

namespace modCVDMXMap {

// What a technician should know of a map before a download, one line per finding, none
// for a map without surprises:
// - an output driven by more than one channel;
// - a channel holding an output the device address pushes past device 16, so that it
//   shows as "- - -" and is patched without anyone seeing it;
// - a channel entry that is neither an output (0..63) nor none (255), which the file keeps
//   and the editor shows as none;
// - a device address or device range entry outside its list (0..15).
QStringList CheckMap(const MapTable &map);
// The finding on channel index c alone (a hidden output or an odd entry), or "" for none.
QString CheckChannel(const MapTable &map, int c);

} // namespace modCVDMXMap
