#pragma once
#include "link/Exchange.h"
#include "link/Protocol.h"

#include <functional>

namespace dmxlink {

enum class DownloadResult { Complete, CommFault, ChecksumFault };

// Sends the eight blocks of map, asks for the controller's checksum and compares it
// with the one of map. beforeBlock(b) runs before block b is sent. Stops at the first
// exchange that times out.
DownloadResult DownloadMap(Exchange &exchange, const MapTable &map, const std::function<void(int block)> &beforeBlock);

// The revision text in a reply to the firmware command.
QString FirmRevText(const QString &reply);

} // namespace dmxlink
