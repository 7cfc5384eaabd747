#include "link/Download.h"

namespace dmxlink {

DownloadResult DownloadMap(const ExchangeStep &exchange, const MapTable &map,
                           const std::function<void(int block)> &beforeBlock)
{
    for (int b = 0; b < kBlocks; ++b) {
        beforeBlock(b);
        if (exchange(BlockFrame(map, b), kBlockReplyLength).fault)
            return DownloadResult::CommFault;
    }
    const QString expected = MapChecksumText(map);
    const ExchangeResult checksum = exchange(kChecksumCommand, kChecksumReplyLength);
    if (checksum.fault)
        return DownloadResult::CommFault;
    if (checksum.reply.mid(kChecksumPos, kChecksumDigits) != expected)
        return DownloadResult::ChecksumFault;
    return DownloadResult::Complete;
}

QString FirmRevText(const QString &reply)
{
    return reply.mid(kFirmRevPos, kFirmRevLength);
}

} // namespace dmxlink
