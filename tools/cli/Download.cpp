#include "Cli.h"

#include "link/Download.h"

#include <QFileInfo>
#include <cstdio>

namespace cli {

namespace {

const char kHelp[] =
    "Usage: cvdmxmap-cli download FILE --port PORT\n"
    "Sends the 512 channel entries of map file FILE to the controller on PORT in\n"
    "eight blocks, as the editor's Download does, then asks the controller for its\n"
    "map checksum and compares it with the file's. Progress goes to standard\n"
    "error; the result line goes to standard output only when the checksums match.\n"
    "\n";

const char kStatus[] =
    "\n"
    "Exit status: 0 downloaded and checksum matched, 1 checksum mismatch, 2 usage\n"
    "error, 3 FILE cannot be read or is not a map file, 4 PORT cannot be opened,\n"
    "5 time-out or lost line (the controller's map is then incomplete).\n";

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

int RunDownload(const QStringList &args)
{
    const QString command = QStringLiteral("download");
    const std::optional<Arguments> a = ParseArguments(command, args, kPortOption);
    if (!a)
        return kUsage;
    if (a->help) {
        Print(kHelp);
        Print(kPortHelp);
        Print(kStatus);
        return kOk;
    }
    if (!CheckArguments(command, *a, {QStringLiteral("FILE")}, true))
        return kUsage;
    const QString file = a->operands[0];
    const std::optional<dmxlink::MapTable> map = ReadMap(file);
    if (!map)
        return kFileError;
    Controller controller;
    if (!controller.Open(a->port))
        return kPortError;

    Progress(QStringLiteral("Downloading ") + QFileInfo(file).fileName() + QStringLiteral(" to ")
             + controller.Where() + QStringLiteral(": block"));
    int block = -1;
    // The exchange leaves sReply alone when it times out, so an empty reply after a
    // fault means the block itself went unanswered, not the checksum query after it.
    const dmxlink::DownloadResult result = dmxlink::DownloadMap(controller.Link(), *map, [&](int b) {
        block = b;
        controller.Link().sReply.clear();
        Progress(QStringLiteral(" %1").arg(b + 1));
    });
    const bool blocksAnswered = block == dmxlink::kBlocks - 1 && !controller.Link().sReply.isEmpty();
    Progress(blocksAnswered ? QStringLiteral(", checksum\n") : QStringLiteral("\n"));
    controller.Close();

    const QString expected = dmxlink::MapChecksumText(*map);
    switch (result) {
    case dmxlink::DownloadResult::CommFault:
        controller.ReportFault(blocksAnswered ? QStringLiteral("the checksum query ") + dmxlink::kChecksumCommand
                                              : BlockName(block));
        return kTimeout;
    case dmxlink::DownloadResult::ChecksumFault:
        Error(controller.Where() + QStringLiteral(": checksum mismatch after the download: the controller reports ")
              + controller.ReplyChecksum()
              + QStringLiteral(", the map has ") + expected
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
