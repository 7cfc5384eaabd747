#pragma once
#include "link/Exchange.h"
#include "link/Protocol.h"

#include <functional>

namespace dmxlink {

enum class DownloadResult { Complete, CommFault, ChecksumFault };

// One exchange: sends the frame sCmd and awaits a reply of iRet characters.
using ExchangeStep = std::function<ExchangeResult(const QString &sCmd, int16_t iRet)>;

// Sends the eight blocks of map's channel entries, asks for the controller's checksum and
// compares it with the one of map, each through exchange. beforeBlock(b) runs before
// block b is sent. Stops at the first exchange that faults.
DownloadResult DownloadMap(const ExchangeStep &exchange, const MapTable &map,
                           const std::function<void(int block)> &beforeBlock);

// The revision text in a reply to the firmware command.
QString FirmRevText(const QString &reply);

} // namespace dmxlink
