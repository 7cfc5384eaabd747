// The communications window: its layout, opening and closing, the port choice, a
// download and a revision query that go well. The faults on the line are in
// test_linefaults.
#include "comm/frmCVDMXMapComm.h"
#include "document/modCVDMXMap.h"
#include "editor/DocumentGlobals.h"
#include "kit/Boxes.h"
#include "kit/CommWindow.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/MessageBoxWatch.h"
#include "kit/ScriptedLine.h"
#include "kit/SimProcess.h"
#include "kit/TempHome.h"
#include "kit/Wheel.h"
#include "link/Exchange.h"
#include "link/Protocol.h"
#include "platform/Profile.h"
#include "toolkit/MsgBox.h"

#include <QFileInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using modCVDMXMap::CommWindowDocument;
using modCVDMXMap::iDmxMap;

class TestCommWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { home_.reset(); }
    void layoutAndStartState();
    void centredByItsOuterSize();
    void showIsModalAndCloseUnloads();
    void titleBarCloseUnloadsWithoutQuestion();
    void escapeDoesNotClose();
    void openingSelectsRememberedPortAndSavesIt();
    void choosingPortSavesItAtOnce();
    void wheelOverThePortListChoosesNothing();
    void resetMapDownloadsInEightFrames();
    void receivedMapEqualsEditorMap();
    void revisionQueriesWithoutClosing();
    void revisionWithMarkupIsShownAsReceived();
    void downloadSendsTheMapItIsGiven();
    void portChoicesGoToTheDocumentItIsGiven();

private:
    std::unique_ptr<TempHome> home_;
};

void TestCommWindow::init()
{
    home_.reset();
    home_ = std::make_unique<TempHome>();
    modCVDMXMap::iComPort = 0;
    modCVDMXMap::bMapChanged = false;
    iDmxMap = MapOf([](int) { return int16_t(255); }, 5, 9);
}

void TestCommWindow::layoutAndStartState()
{
    frmCVDMXMapComm w(CommWindowDocument());
    w.pbDL->setVisible(true);
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QStringLiteral("Communications"));
    QCOMPARE(w.size(), QSize(297, 97));
    QCOMPARE(w.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(w.cmdClose->geometry(), QRect(224, 64, 65, 25));
    QCOMPARE(w.cmdDownload->geometry(), QRect(80, 8, 65, 24));
    QCOMPARE(w.cboComPort->geometry(), QRect(8, 8, 65, 24));
    QCOMPARE(w.pbDL->geometry(), QRect(8, 40, 281, 13));
    QCOMPARE(w.cmdFirmRev->geometry(), QRect(8, 64, 113, 25));
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Close"));
    QCOMPARE(w.cmdDownload->text(), QStringLiteral("Download"));
    QCOMPARE(w.cmdFirmRev->text(), QStringLiteral("Firmware Revision"));
    QCOMPARE(w.pbDL->minimum(), 0);
    QCOMPARE(w.pbDL->maximum(), 7);
    QVERIFY(w.pbDL->isHidden());
    QVERIFY(AtRest(w));
    QCOMPARE(w.cboComPort->ListCount(), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(w.cboComPort->List(i), QStringLiteral("COM%1").arg(i + 1));
    QCOMPARE(w.cmdClose->nextInFocusChain(), static_cast<QWidget *>(w.cmdDownload));
    QCOMPARE(w.cmdDownload->nextInFocusChain(), static_cast<QWidget *>(w.cboComPort));
    QCOMPARE(w.cboComPort->nextInFocusChain(), static_cast<QWidget *>(w.pbDL));
    QCOMPARE(w.pbDL->nextInFocusChain(), static_cast<QWidget *>(w.cmdFirmRev));
    QCOMPARE(w.focusWidget(), static_cast<QWidget *>(w.cmdClose));
    QVERIFY(w.IsLoaded());
}

// Each load centres the window by its outer size, frame included, from the first one on,
// before it is shown; showing it does not move it.
void TestCommWindow::centredByItsOuterSize()
{
    frmCVDMXMapComm w(CommWindowDocument());
    w.Form_Load();
    const QRect loaded = w.frameGeometry();
    const QRect screen = w.screen()->geometry();
    QCOMPARE(loaded.size(), QSize(297, 97).grownBy(w.windowHandle()->frameMargins()));
    QVERIFY(loaded.width() > 297);
    QVERIFY(qAbs(loaded.left() - screen.left() - (screen.width() - loaded.width()) / 2.0) <= 0.5);
    QVERIFY(qAbs(loaded.top() - screen.top() - (screen.height() - loaded.height()) / 2.0) <= 0.5);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.frameGeometry(), loaded);
    w.move(3, 5);
    w.Unload();
    w.Form_Load();
    QCOMPARE(w.frameGeometry(), loaded);
}

void TestCommWindow::showIsModalAndCloseUnloads()
{
    MsgBoxScript boxes;
    frmCVDMXMapComm w(CommWindowDocument());
    modCVDMXMap::iComPort = 6;
    bool wasModal = false, wasLoaded = false;
    int count = 0;
    QTimer::singleShot(0, &w, [&] {
        wasModal = w.isModal() && w.isVisible();
        wasLoaded = w.IsLoaded();
        count = w.cboComPort->ListCount();
        w.cmdClose->click();
    });
    w.Show();
    QVERIFY(wasModal);
    QVERIFY(wasLoaded);
    QCOMPARE(count, 8);
    QVERIFY(!w.IsLoaded());
    QVERIFY(!w.isVisible());
    QCOMPARE(w.cboComPort->ListIndex(), 6);
    QVERIFY(boxes.Shown().isEmpty());

    // Opening again loads again; unloading a window that is not loaded does nothing.
    QTimer::singleShot(0, &w, [&] { w.Unload(); });
    w.Show();
    QVERIFY(!w.IsLoaded());
    w.Unload();
    QVERIFY(!w.IsLoaded());
}

void TestCommWindow::titleBarCloseUnloadsWithoutQuestion()
{
    MsgBoxScript boxes;
    frmCVDMXMapComm w(CommWindowDocument());
    w.Form_Load();
    w.show();
    QVERIFY(w.IsLoaded());
    QVERIFY(w.close());
    QVERIFY(!w.IsLoaded());
    QVERIFY(!w.isVisible());
    QVERIFY(boxes.Shown().isEmpty());
}

// Escape, with the focus on "Close" or on the port list, leaves the window open and
// changes nothing; only "Close" ends the modal run.
void TestCommWindow::escapeDoesNotClose()
{
    MsgBoxScript boxes;
    modCVDMXMap::iComPort = 3;
    frmCVDMXMapComm w(CommWindowDocument());
    QList<bool> openAfterEscape;
    QList<QWidget *> focusAtEscape;
    QTimer::singleShot(0, &w, [&] {
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("communications window not active");
        for (QWidget *focus : {static_cast<QWidget *>(w.cmdClose), static_cast<QWidget *>(w.cboComPort)}) {
            focus->setFocus();
            focusAtEscape << QApplication::focusWidget();
            QTest::keyClick(focus, Qt::Key_Escape);
            openAfterEscape << (w.IsLoaded() && w.isVisible());
        }
        QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
        openAfterEscape << (w.IsLoaded() && w.isVisible());
        w.cmdClose->click();
    });
    w.Show();
    QCOMPARE(focusAtEscape, (QList<QWidget *>{w.cmdClose, w.cboComPort}));
    QCOMPARE(openAfterEscape, (QList<bool>{true, true, true}));
    QVERIFY(!w.IsLoaded());
    QCOMPARE(w.cboComPort->ListIndex(), 3);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(3));
    QVERIFY(boxes.Shown().isEmpty());
}

void TestCommWindow::openingSelectsRememberedPortAndSavesIt()
{
    home_->WriteSettings("; my ports\r\n[Ports]\r\nCOM3=/dev/ttyUSB7\r\n[Download]\r\nCom Port=8\r\n");
    modCVDMXMap::iComPort = 2;
    frmCVDMXMapComm w(CommWindowDocument());
    w.Form_Load();
    QCOMPARE(w.cboComPort->ListIndex(), 2);
    QCOMPARE(w.cboComPort->currentText(), QStringLiteral("COM3"));
    QCOMPARE(w.comDev().CommPort().Number(), 3);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(2));
    QCOMPARE(home_->ReadSettings(),
             QByteArray("; my ports\r\n[Ports]\r\nCOM3=/dev/ttyUSB7\r\n[Download]\r\nCom Port=3\r\n"));
    QVERIFY(!w.comDev().PortOpen());

    // Closing and opening again rebuilds the list and selects the port last chosen.
    w.Unload();
    modCVDMXMap::iComPort = 7;
    w.Form_Load();
    QCOMPARE(w.cboComPort->ListCount(), 8);
    QCOMPARE(w.cboComPort->ListIndex(), 7);
    QCOMPARE(w.comDev().CommPort().Number(), 8);
    QVERIFY(home_->ReadSettings().endsWith("Com Port=8\r\n"));
}

void TestCommWindow::choosingPortSavesItAtOnce()
{
    home_->WriteSettings("[Download]\nCom Port=1\n[Ports]\nCOM5=/dev/pts/99\n");
    frmCVDMXMapComm w(CommWindowDocument());
    w.Form_Load();
    w.cboComPort->SetListIndex(4);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(4));
    QCOMPARE(w.comDev().CommPort().Number(), 5);
    QCOMPARE(home_->ReadSettings(), QByteArray("[Download]\nCom Port=5\n[Ports]\nCOM5=/dev/pts/99\n"));
    QVERIFY(!w.comDev().PortOpen());
}

// "Close" holds the focus when the window opens: scrolling over the port list neither
// chooses nor saves another port.
void TestCommWindow::wheelOverThePortListChoosesNothing()
{
    modCVDMXMap::iComPort = 2;
    frmCVDMXMapComm w(CommWindowDocument());
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QByteArray settings = home_->ReadSettings();
    TurnWheel(w.cboComPort, -1);
    TurnWheel(w.cboComPort, 1);
    TurnWheel(w.cboComPort, 1);
    QCOMPARE(w.cboComPort->ListIndex(), 2);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(2));
    QCOMPARE(w.comDev().CommPort().Number(), 3);
    QCOMPARE(home_->ReadSettings(), settings);
    QCOMPARE(w.focusWidget(), static_cast<QWidget *>(w.cmdClose));
}

// Over the simulator on a real serial port: the frames, the bar painted at each block,
// the controls and the port in their order, and the checksum reply.
void TestCommWindow::resetMapDownloadsInEightFrames()
{
    SimProcess sim({"--port", "COM1"});
    QVERIFY(sim.Started());
    const QByteArray portsBefore = platform::GetPrivateProfileString("Ports", "COM1", "", home_->SettingsFile());
    QCOMPARE(portsBefore, sim.Path().toLatin1());
    const auto mapBefore = iDmxMap;
    frmCVDMXMapComm w(CommWindowDocument());
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    CommWindowLog log(w);

    w.cmdDownload_Click();

    QCOMPARE(log.boxes, QList<ShownBox>{kCompleteBox});
    QCOMPARE(log.log, DownloadLog(7, QStringLiteral("Downlaod"), false));
    QCOMPARE(log.paintedValues, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QVERIFY(AtRest(w));
    const QList<QByteArray> received = sim.Received();
    QCOMPARE(received, Frames(iDmxMap, 8) << "[03]");
    QCOMPARE(received[0], "[010000" + QByteArray(128, 'F') + "]");
    QCOMPARE(received[7].left(7), QByteArray("[0101C0"));
    QCOMPARE(w.sReply, QStringLiteral("[0A1A1879AC56C2A8]"));
    QVERIFY(!w.bCommFault);
    QVERIFY(iDmxMap == mapBefore);
    QVERIFY(!modCVDMXMap::bMapChanged);
    QCOMPARE(platform::GetPrivateProfileString("Ports", "COM1", "", home_->SettingsFile()), portsBefore);
}

void TestCommWindow::receivedMapEqualsEditorMap()
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("received.cvx"));
    SimProcess sim({"--port", "COM4", "--save", saved});
    QVERIFY(sim.Started());
    iDmxMap = MapOf([](int i) { return int16_t(i % 256); }, 5, 9);
    modCVDMXMap::iComPort = 3;
    frmCVDMXMapComm w(CommWindowDocument());
    MsgBoxScript boxes({toolkit::vbOK});
    w.Form_Load();
    w.cmdDownload_Click();
    QCOMPARE(boxes.Shown(), QList<ShownBox>{kCompleteBox});
    QVERIFY(sim.Stop());
    const QByteArray bytes = ReadBytes(saved);
    QCOMPARE(bytes.size(), 1028);
    for (int i = 0; i < modCVDMXMap::kChannels; ++i) {
        const int16_t entry = int16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
        QCOMPARE(entry, iDmxMap[size_t(i)]);
    }
    QCOMPARE(bytes.right(4), QByteArray(4, '\0'));
}

// Queries follow one another without closing the window, a time-out between them: each
// opens the port afresh and leaves it closed.
void TestCommWindow::revisionQueriesWithoutClosing()
{
    const QByteArray reply = "[REV 2.05 ABCDEFGHI]";
    ScriptedLine line({Answer("[04]", reply, 20), Answer("[04]", reply.chopped(1), 20), Answer("[04]", reply, 30)});
    modCVDMXMap::iComPort = 1;
    frmCVDMXMapComm w(CommWindowDocument(), nullptr, &line, &line);
    w.Form_Load();
    CommWindowLog log(w);
    for (int i = 0; i < 3; ++i)
        w.cmdFirmRev_Click();
    const ShownBox revision = RevisionBox(QStringLiteral("REV 2.05 ABCDEFGHI"));
    QCOMPARE(log.boxes, (QList<ShownBox>{revision, kCommFaultBox, revision}));
    QCOMPARE(log.log,
             (QStringList{"box Device Firmware Revision [closed]", "box Fault [open]",
                          "box Device Firmware Revision [closed]"}));
    QCOMPARE(line.Sent(), (QList<QByteArray>{"[04]", "[04]", "[04]"}));
    QCOMPARE(line.Opened(), QStringList(3, QStringLiteral("/dev/ttyS1")));
    QCOMPARE(line.Now(), int64_t(20 + dmxlink::Exchange::kLimitMs + 30));
    QCOMPARE(w.sReply, QString::fromLatin1(reply));
    QVERIFY(AtRest(w));
}

// The real message box shows a revision that looks like markup letter for letter.
void TestCommWindow::revisionWithMarkupIsShownAsReceived()
{
    const QString revision = QStringLiteral("<b>1.01</b> &amp;x");
    QCOMPARE(revision.size(), 18);
    ScriptedLine line({Answer("[04]", '[' + revision.toLatin1() + ']')});
    frmCVDMXMapComm w(CommWindowDocument(), nullptr, &line, &line);
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    MessageBoxWatch watch(QMessageBox::Ok);
    w.cmdFirmRev_Click();
    QVERIFY(watch.Seen());
    QCOMPARE(watch.Box().title, QStringLiteral("Device Firmware Revision"));
    QCOMPARE(watch.Box().icon, QMessageBox::Information);
    QCOMPARE(watch.Box().labelText, revision);
    QCOMPARE(watch.Box().labelFormat, Qt::PlainText);
    QVERIFY(AtRest(w));
}

// A window on a document of its own sends that document's channel entries, neither its
// device entries nor the module's map, and reads the map at the download, not at the
// load. The module's map, port and settings file stay as they were.
void TestCommWindow::downloadSendsTheMapItIsGiven()
{
    HeldDocument held;
    held.port = 5;
    held.map = MapOf([](int i) { return int16_t((i * 5) % modCVDMXMap::kOutputs); }, 9, 12);
    MapTable sent = held.map;
    sent[511] = 42;
    const MapTable moduleMap = iDmxMap;
    QVERIFY(moduleMap != sent);
    modCVDMXMap::iComPort = 1;
    const QByteArray checksum = '[' + dmxlink::MapChecksumText(sent).toLatin1() + ']';
    ScriptedLine::Script script;
    for (const QByteArray &frame : Frames(sent, 8))
        script << Answer(frame, "[01]");
    script << Answer("[03]", checksum);
    ScriptedLine line(script);
    frmCVDMXMapComm w(held.Document(), nullptr, &line, &line);
    w.Form_Load();
    held.map = sent;
    MsgBoxScript boxes({toolkit::vbOK});

    w.cmdDownload_Click();

    QCOMPARE(boxes.Shown(), QList<ShownBox>{kCompleteBox});
    QCOMPARE(line.Sent(), Frames(sent, 8) << "[03]");
    QCOMPARE(line.Unexpected(), 0);
    QCOMPARE(line.Opened(), QStringList{QStringLiteral("/dev/ttyS5")});
    QCOMPARE(w.sReply, QString::fromLatin1(checksum));
    QVERIFY(iDmxMap == moduleMap);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(1));
    QVERIFY(!QFileInfo::exists(home_->SettingsFile()));
    QCOMPARE(held.remembered, QList<int16_t>{5});
    QVERIFY(AtRest(w));
}

// Each load selects the document's port and tells the document of it; each choice after
// that too. The window keeps no port of its own, and writes no settings.
void TestCommWindow::portChoicesGoToTheDocumentItIsGiven()
{
    HeldDocument held;
    held.port = 2;
    modCVDMXMap::iComPort = 6;
    frmCVDMXMapComm w(held.Document());
    w.Form_Load();
    QCOMPARE(w.cboComPort->ListIndex(), 2);
    QCOMPARE(w.comDev().CommPort().Number(), 3);
    QCOMPARE(held.remembered, QList<int16_t>{2});

    w.cboComPort->SetListIndex(4);
    QCOMPARE(w.comDev().CommPort().Number(), 5);
    QCOMPARE(held.remembered, (QList<int16_t>{2, 4}));
    QCOMPARE(held.port, int16_t(4));

    // The document's port, not the one last chosen here, is what the next load selects.
    held.port = 0;
    w.Unload();
    w.Form_Load();
    QCOMPARE(w.cboComPort->ListIndex(), 0);
    QCOMPARE(w.comDev().CommPort().Number(), 1);
    QCOMPARE(held.remembered, (QList<int16_t>{2, 4, 0}));
    QCOMPARE(modCVDMXMap::iComPort, int16_t(6));
    QVERIFY(!QFileInfo::exists(home_->SettingsFile()));
    QVERIFY(!w.comDev().PortOpen());
}

QTEST_MAIN(TestCommWindow)
#include "test_comm_window.moc"
