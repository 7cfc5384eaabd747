// Any bytes as a controller's replies to a download from the communications window,
// over a pseudo-terminal whose controller end this process holds. The input is cut into
// the nine replies (eight blocks, then the checksum): a length byte, then that many
// bytes, 255 meaning all that is left. A reply shorter than its command needs is
// followed by a hang-up, so that no download waits out the two-second limit.
// The outcome must be the one those replies call for, with the exact message box, every
// command sent byte for byte, the port closed and the window at rest.
#include "Check.h"
#include "comm/frmCVDMXMapComm.h"
#include "document/modCVDMXMap.h"
#include "editor/DocumentGlobals.h"
#include "kit/Boxes.h"
#include "kit/CommWindow.h"
#include "kit/PtyController.h"
#include "kit/TempHome.h"
#include "platform/Profile.h"
#include "toolkit/MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdint>

namespace {

// The checksum a controller reports for the reset map.
const QByteArray kResetChecksum = "0A1A1879AC56C2A8";

constexpr int kCommands = 9;
// Characters the controller answers a block and the checksum command with.
constexpr int kBlockReply = 4;
constexpr int kChecksumReply = 18;

// Both live until the process ends: destroyed by an exit handler, they would outlive
// Qt's own globals.
QApplication *gApp = nullptr;
frmCVDMXMapComm *gWindow = nullptr;
QList<ShownBox> gBoxes;

// The frames of the reset map, built here apart from the editor's frame code.
QList<QByteArray> ResetMapCommands()
{
    QList<QByteArray> commands;
    for (int b = 0; b < 8; ++b)
        commands << "[01" + QByteArray::number(b * 64, 16).toUpper().rightJustified(4, '0') + QByteArray(128, 'F')
                + "]";
    commands << "[03]";
    return commands;
}

std::vector<PtyController::Answer> Answers(const uint8_t *data, size_t size)
{
    std::vector<PtyController::Answer> answers;
    size_t pos = 0;
    for (int k = 0; k < kCommands; ++k) {
        size_t length = 0;
        if (pos < size) {
            length = data[pos++];
            length = length == 255 ? size - pos : std::min(length, size - pos);
        }
        const QByteArray reply(reinterpret_cast<const char *>(data + pos), qsizetype(length));
        pos += length;
        const int needed = k < 8 ? kBlockReply : kChecksumReply;
        answers.push_back({reply, reply.size() < needed});
    }
    return answers;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static TempHome home(ScratchParent());
    Require(QDir().mkpath(home.WorkFolder()), "cannot create the working folder");
    gApp = new QApplication(*argc, *argv);
    toolkit::SetMsgBoxResponder([](const QString &text, int buttons, const QString &title) {
        gBoxes.append({text, buttons, title});
        return int(toolkit::vbOK);
    });
    modCVDMXMap::iComPort = 0;
    gWindow = new frmCVDMXMapComm(modCVDMXMap::CommWindowDocument());
    gWindow->Form_Load();
    gWindow->show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<PtyController::Answer> answers = Answers(data, size);
    PtyController controller(answers);
    Require(controller.Ok(), "no pseudo-terminal");
    Require(platform::WritePrivateProfileString("Ports", "COM1", QFile::encodeName(controller.Path()),
                                                modCVDMXMap::SettingsFilePath()),
            "cannot point COM1 at the pseudo-terminal");
    modCVDMXMap::ClearMap();
    gBoxes.clear();

    gWindow->cmdDownload_Click();
    controller.Stop();
    QCoreApplication::processEvents();

    int firstShort = 0;
    while (firstShort < kCommands && !answers[size_t(firstShort)].hangUp)
        ++firstShort;
    const bool fault = firstShort < kCommands;
    Require(gBoxes.size() == 1, "not exactly one message box");
    Require(AtRest(*gWindow), "the window is not at rest after the download");
    if (fault) {
        Require(gBoxes.first() == kCommFaultBox, "a short reply did not end in Comm Fault");
    } else {
        Require(!(gBoxes.first() == kCommFaultBox), "replies that all came in full ended in Comm Fault");
        // The checksum reply as read: all of it, or as much of it as the port buffers.
        const QByteArray &reply = answers.back().reply;
        const QByteArray read = gWindow->sReply.toLatin1();
        Require(read.size() >= kChecksumReply && reply.startsWith(read), "the checksum reply read is not the one sent");
        Require(gBoxes.first() == (reply.mid(1, 16) == kResetChecksum ? kCompleteBox : kChecksumFaultBox),
                "the outcome does not follow the checksum reply");
    }
    const QList<QByteArray> expected = ResetMapCommands().mid(0, fault ? firstShort + 1 : kCommands);
    if (controller.Commands() != expected)
        Fail(QStringLiteral("the commands sent differ from the reset map's frames (%1 expected, %2 received)")
                 .arg(expected.size())
                 .arg(controller.Commands().size())
                 .toLatin1()
                 .constData());
    return 0;
}
