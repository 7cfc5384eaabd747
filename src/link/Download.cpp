#include "link/Download.h"

namespace dmxlink {

DownloadResult DownloadMap(Exchange &exchange, const MapTable &map, const std::function<void(int block)> &beforeBlock)
{
    for (int b = 0; b < kBlocks; ++b) {
        beforeBlock(b);
        exchange.LSComPrg(BlockFrame(map, b), kBlockReplyLength);
        if (exchange.bCommFault)
            return DownloadResult::CommFault;
    }
    const QString expected = MapChecksumText(map);
    exchange.LSComPrg(kChecksumCommand, kChecksumReplyLength);
    if (exchange.bCommFault)
        return DownloadResult::CommFault;
    if (exchange.sReply.mid(kChecksumPos, kChecksumDigits) != expected)
        return DownloadResult::ChecksumFault;
    return DownloadResult::Complete;
}

QString FirmRevText(const QString &reply)
{
    return reply.mid(kFirmRevPos, kFirmRevLength);
}

} // namespace dmxlink
