#include "link/Download.h"
#include "Command.h"
#include "Controller.h"
#include "Output.h"
#include "Status.h"

#include <QFileInfo>

namespace cli {

namespace {

QString BlockName(int block)
{
    return QStringLiteral("block %1 of %2 (channels %3-%4)")
        .arg(block + 1)
        .arg(dmxlink::kBlocks)
        .arg(block * dmxlink::kBlockEntries + 1)
        .arg((block + 1) * dmxlink::kBlockEntries);
}

void Progress(const QString &text)
{
    PrintError(text.toLocal8Bit());
}

} // namespace

int RunDownload(Job &job)
{
    const QString &file = job.files[0];
    const dmxlink::MapTable &map = job.maps[0];
    Controller &controller = *job.controller;

    Progress(QStringLiteral("Downloading ") + QFileInfo(file).fileName() + QStringLiteral(" to ") + controller.Where()
             + QStringLiteral(": block"));
    int block = -1;
    int answered = 0;
    const auto exchange = [&](const QString &frame, int16_t replyLength) {
        const dmxlink::ExchangeResult result = controller.Exchange(frame, replyLength);
        answered += result.fault ? 0 : 1;
        return result;
    };
    const dmxlink::DownloadResult result = dmxlink::DownloadMap(exchange, map, [&](int b) {
        block = b;
        Progress(QStringLiteral(" %1").arg(b + 1));
    });
    const bool blocksAnswered = answered >= dmxlink::kBlocks;
    Progress(blocksAnswered ? QStringLiteral(", checksum\n") : QStringLiteral("\n"));
    controller.Close();

    const QString expected = dmxlink::MapChecksumText(map);
    switch (result) {
    case dmxlink::DownloadResult::CommFault:
        controller.ReportFault(blocksAnswered ? QStringLiteral("the checksum query ") + dmxlink::kChecksumCommand
                                              : BlockName(block));
        // Blocks have reached the controller unless the first went unanswered on a live line.
        if (!blocksAnswered && (block > 0 || controller.LineLost()))
            Error(QStringLiteral("the controller now holds a partial map: download again"));
        return kTimeout;
    case dmxlink::DownloadResult::ChecksumFault:
        Error(controller.Where() + QStringLiteral(": checksum mismatch after the download: the controller reports ")
              + controller.ReplyChecksum() + QStringLiteral(", the map has ") + expected
              + QStringLiteral("; the device will not function properly"));
        return kDiffers;
    case dmxlink::DownloadResult::Complete:
        break;
    }
    Out(QStringLiteral("Download complete: ") + controller.Where() + QStringLiteral(" holds ") + file
        + QStringLiteral(" (checksum ") + expected + QStringLiteral(")"));
    return kOk;
}

} // namespace cli
