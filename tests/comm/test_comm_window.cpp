#include "document/modCVDMXMap.h"
#include "link/Protocol.h"
#include "comm/frmCVDMXMapComm.h"
#include "toolkit/MsgBox.h"
#include "platform/Profile.h"
#include "platform/Stopwatch.h"
#include "kit/MessageBoxWatch.h"
#include "kit/MsgBoxScript.h"
#include "kit/SimProcess.h"
#include "kit/StallWatch.h"
#include "kit/TempHome.h"
#include "kit/Wheel.h"

#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using modCVDMXMap::iDmxMap;

namespace {

const QString kChecksumFault =
    QStringLiteral("Download Failed.\r\nChecksum Fault.\r\nDevice Will NOT Function Properly.");

// Records, in order, what the window does to its controls and the message boxes it
// shows, each with the port's state at that moment.
class Recorder : public QObject {
public:
    explicit Recorder(frmCVDMXMapComm &w) : w_(w)
    {
        names_ = {{w.cboComPort, "cboComPort"}, {w.cmdDownload, "cmdDownload"},
                  {w.cmdFirmRev, "cmdFirmRev"}, {w.cmdClose, "cmdClose"}, {w.pbDL, "pbDL"}};
        for (auto it = names_.cbegin(); it != names_.cend(); ++it)
            it.key()->installEventFilter(this);
        connect(w.pbDL, &QProgressBar::valueChanged, this,
                [this](int v) { Log(QStringLiteral("pbDL %1").arg(v)); });
        toolkit::SetMsgBoxResponder([this](const QString &text, int buttons, const QString &title) {
            boxes.append({text, buttons, title});
            Log(QStringLiteral("box ") + title);
            return int(toolkit::vbOK);
        });
    }
    ~Recorder() override { toolkit::SetMsgBoxResponder({}); }

    QStringList log;
    QList<ShownBox> boxes;
    QList<int> paintedValues;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        const QString name = names_.value(o);
        switch (e->type()) {
        case QEvent::EnabledChange:
            Log(name + (static_cast<QWidget *>(o)->isEnabled() ? " enabled" : " disabled"));
            break;
        case QEvent::ShowToParent:
            Log(name + " shown");
            break;
        case QEvent::HideToParent:
            Log(name + " hidden");
            break;
        case QEvent::Paint:
            if (o == w_.pbDL && (paintedValues.isEmpty() || paintedValues.last() != w_.pbDL->value()))
                paintedValues.append(w_.pbDL->value());
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Log(const QString &what)
    {
        log.append(what + (w_.comDev.PortOpen() ? " [open]" : " [closed]"));
    }

    frmCVDMXMapComm &w_;
    QHash<QObject *, QString> names_;
};

QStringList Disabling()
{
    return {"cboComPort disabled [open]", "cmdDownload disabled [open]", "cmdFirmRev disabled [open]",
            "cmdClose disabled [open]", "pbDL 0 [open]", "pbDL shown [open]"};
}

QStringList Blocks(int from, int to)
{
    QStringList log;
    for (int b = from; b <= to; ++b)
        log << QStringLiteral("pbDL %1 [open]").arg(b);
    return log;
}

QStringList Restoring(const char *port)
{
    const QString s = QStringLiteral(" [%1]").arg(QLatin1String(port));
    return {"pbDL hidden" + s, "cboComPort enabled" + s, "cmdDownload enabled" + s,
            "cmdFirmRev enabled" + s, "cmdClose enabled" + s};
}

void FillMap(int16_t (*entry)(int))
{
    for (int i = 0; i < modCVDMXMap::kChannels; ++i)
        iDmxMap[size_t(i)] = entry(i);
    iDmxMap[modCVDMXMap::kDevAddEntry] = 5;
    iDmxMap[modCVDMXMap::kDevRangeEntry] = 9;
}

QList<QByteArray> FramesOf(int blocks)
{
    QList<QByteArray> frames;
    for (int b = 0; b < blocks; ++b)
        frames << dmxlink::BlockFrame(iDmxMap, b).toLatin1();
    return frames;
}

// The four controls enabled, the bar hidden and the port closed: the window at rest.
bool AtRest(const frmCVDMXMapComm &w)
{
    return w.cboComPort->isEnabled() && w.cmdDownload->isEnabled() && w.cmdFirmRev->isEnabled()
        && w.cmdClose->isEnabled() && w.pbDL->isHidden() && !w.comDev.PortOpen();
}

} // namespace

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
    void silenceOnBlockThree();
    void lineDroppedMidDownload();
    void checksumReplies_data();
    void checksumReplies();
    void firmwareRevision_data();
    void firmwareRevision();
    void revisionWithMarkupIsShownAsReceived();
    void openFailure_data();
    void openFailure();

private:
    std::unique_ptr<TempHome> home_;
};

void TestCommWindow::init()
{
    home_.reset();
    home_ = std::make_unique<TempHome>();
    modCVDMXMap::iComPort = 0;
    modCVDMXMap::bMapChanged = false;
    FillMap([](int) { return int16_t(255); });
}

void TestCommWindow::layoutAndStartState()
{
    frmCVDMXMapComm w;
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
    frmCVDMXMapComm w;
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
    frmCVDMXMapComm w;
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
    frmCVDMXMapComm w;
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
    frmCVDMXMapComm w;
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
    frmCVDMXMapComm w;
    w.Form_Load();
    QCOMPARE(w.cboComPort->ListIndex(), 2);
    QCOMPARE(w.cboComPort->currentText(), QStringLiteral("COM3"));
    QCOMPARE(w.comDev.CommPort().Number(), 3);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(2));
    QCOMPARE(home_->ReadSettings(),
             QByteArray("; my ports\r\n[Ports]\r\nCOM3=/dev/ttyUSB7\r\n[Download]\r\nCom Port=3\r\n"));
    QVERIFY(!w.comDev.PortOpen());

    // Closing and opening again rebuilds the list and selects the port last chosen.
    w.Unload();
    modCVDMXMap::iComPort = 7;
    w.Form_Load();
    QCOMPARE(w.cboComPort->ListCount(), 8);
    QCOMPARE(w.cboComPort->ListIndex(), 7);
    QCOMPARE(w.comDev.CommPort().Number(), 8);
    QVERIFY(home_->ReadSettings().endsWith("Com Port=8\r\n"));
}

void TestCommWindow::choosingPortSavesItAtOnce()
{
    home_->WriteSettings("[Download]\nCom Port=1\n[Ports]\nCOM5=/dev/pts/99\n");
    frmCVDMXMapComm w;
    w.Form_Load();
    w.cboComPort->SetListIndex(4);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(4));
    QCOMPARE(w.comDev.CommPort().Number(), 5);
    QCOMPARE(home_->ReadSettings(), QByteArray("[Download]\nCom Port=5\n[Ports]\nCOM5=/dev/pts/99\n"));
    QVERIFY(!w.comDev.PortOpen());
}

// "Close" holds the focus when the window opens: scrolling over the port list neither
// chooses nor saves another port.
void TestCommWindow::wheelOverThePortListChoosesNothing()
{
    modCVDMXMap::iComPort = 2;
    frmCVDMXMapComm w;
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QByteArray settings = home_->ReadSettings();
    TurnWheel(w.cboComPort, -1);
    TurnWheel(w.cboComPort, 1);
    TurnWheel(w.cboComPort, 1);
    QCOMPARE(w.cboComPort->ListIndex(), 2);
    QCOMPARE(modCVDMXMap::iComPort, int16_t(2));
    QCOMPARE(w.comDev.CommPort().Number(), 3);
    QCOMPARE(home_->ReadSettings(), settings);
    QCOMPARE(w.focusWidget(), static_cast<QWidget *>(w.cmdClose));
}

void TestCommWindow::resetMapDownloadsInEightFrames()
{
    SimProcess sim({"--port", "COM1"});
    QVERIFY(sim.Started());
    const QByteArray portsBefore = platform::GetPrivateProfileString("Ports", "COM1", "", home_->SettingsFile());
    QCOMPARE(portsBefore, sim.Path().toLatin1());
    const auto mapBefore = iDmxMap;
    frmCVDMXMapComm w;
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Recorder rec(w);

    const StallWatch stalls;
    w.cmdDownload_Click();

    CVDMX_SKIP_IF_HELD_UP(stalls, rec.boxes.value(0).title == "Fault", 1000);
    QCOMPARE(rec.boxes, (QList<ShownBox>{{"Download Complete", 0, "Downlaod"}}));
    QCOMPARE(rec.log, Disabling() + Blocks(1, 7) + QStringList{"box Downlaod [closed]"}
                          + Restoring("closed"));
    QCOMPARE(rec.paintedValues, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QVERIFY(AtRest(w));
    const QList<QByteArray> received = sim.Received();
    QCOMPARE(received.size(), 9);
    QCOMPARE(received[0], "[010000" + QByteArray(128, 'F') + "]");
    QCOMPARE(received.mid(0, 8), FramesOf(8));
    QCOMPARE(received[7].left(7), QByteArray("[0101C0"));
    QCOMPARE(received[8], QByteArray("[03]"));
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
    FillMap([](int i) { return int16_t(i % 256); });
    modCVDMXMap::iComPort = 3;
    frmCVDMXMapComm w;
    MsgBoxScript boxes({toolkit::vbOK});
    w.Form_Load();
    const StallWatch stalls;
    w.cmdDownload_Click();
    CVDMX_SKIP_IF_HELD_UP(stalls, boxes.Shown().value(0).title == "Fault", 1000);
    QCOMPARE(boxes.Shown(), (QList<ShownBox>{{"Download Complete", 0, "Downlaod"}}));
    QVERIFY(sim.Stop());
    QFile f(saved);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.size(), 1028);
    for (int i = 0; i < modCVDMXMap::kChannels; ++i) {
        const int16_t entry = int16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
        QCOMPARE(entry, iDmxMap[size_t(i)]);
    }
    QCOMPARE(bytes.right(4), QByteArray(4, '\0'));
}

void TestCommWindow::silenceOnBlockThree()
{
    SimProcess sim({"--port", "COM1", "--silent", "01:3"});
    QVERIFY(sim.Started());
    frmCVDMXMapComm w;
    w.Form_Load();
    w.sReply = QStringLiteral("before");
    Recorder rec(w);

    w.cmdDownload_Click();

    QCOMPARE(rec.boxes, (QList<ShownBox>{{"Comm Fault", 16, "Fault"}}));
    QCOMPARE(rec.log, Disabling() + Blocks(1, 3) + QStringList{"box Fault [open]"} + Restoring("open"));
    QVERIFY(AtRest(w));
    QVERIFY(w.bCommFault);
    QCOMPARE(w.sReply, QStringLiteral("[01]"));
    QCOMPARE(sim.Received(), FramesOf(4));
}

void TestCommWindow::lineDroppedMidDownload()
{
    SimProcess sim({"--port", "COM1", "--drop-at", "2"});
    QVERIFY(sim.Started());
    frmCVDMXMapComm w;
    w.Form_Load();
    Recorder rec(w);
    platform::Stopwatch sw;
    w.cmdDownload_Click();
    QVERIFY(sw.Read() < 1500);
    QCOMPARE(rec.boxes, (QList<ShownBox>{{"Comm Fault", 16, "Fault"}}));
    QCOMPARE(rec.log, Disabling() + Blocks(1, 2) + QStringList{"box Fault [open]"} + Restoring("open"));
    QVERIFY(AtRest(w));
    QVERIFY(sim.Stop());
}

void TestCommWindow::checksumReplies_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<bool>("complete");
    QTest::newRow("matching") << QStringList() << true;
    QTest::newRow("wrong digit") << QStringList{"--bad-checksum"} << false;
    QTest::newRow("lower case") << QStringList{"--lower-checksum"} << false;
    QTest::newRow("extra after 18th") << QStringList{"--extra", "03", "--extra-text", "ZZZZ"} << true;
    QTest::newRow("junk before") << QStringList{"--junk", "03", "--junk-text", "*"} << false;
}

void TestCommWindow::checksumReplies()
{
    QFETCH(QStringList, simArgs);
    QFETCH(bool, complete);
    SimProcess sim(QStringList{"--port", "COM1"} + simArgs);
    QVERIFY(sim.Started());
    FillMap([](int i) { return int16_t(i % 64); });
    frmCVDMXMapComm w;
    w.Form_Load();
    Recorder rec(w);

    const StallWatch stalls;
    w.cmdDownload_Click();

    if (complete) {
        CVDMX_SKIP_IF_HELD_UP(stalls, rec.boxes.value(0).title == "Fault", 1000);
        QCOMPARE(rec.boxes, (QList<ShownBox>{{"Download Complete", 0, "Downlaod"}}));
        QCOMPARE(rec.log, Disabling() + Blocks(1, 7) + QStringList{"box Downlaod [closed]"}
                              + Restoring("closed"));
    } else {
        QCOMPARE(rec.boxes, (QList<ShownBox>{{kChecksumFault, 16, "Download Failure"}}));
        QCOMPARE(rec.log, Disabling() + Blocks(1, 7) + QStringList{"box Download Failure [open]"}
                              + Restoring("open"));
    }
    QVERIFY(AtRest(w));
    QCOMPARE(sim.Received(), FramesOf(8) + QList<QByteArray>{"[03]"});
}

void TestCommWindow::firmwareRevision_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<ShownBox>("box");
    QTest::addColumn<QString>("boxLog");
    const ShownBox revision{"REV 2.05 ABCDEFGHI", 64, "Device Firmware Revision"};
    QTest::newRow("20 characters") << QStringList() << revision << "box Device Firmware Revision [closed]";
    QTest::newRow("21 characters") << QStringList{"--extra", "04"} << revision
                                   << "box Device Firmware Revision [closed]";
    QTest::newRow("19 characters") << QStringList{"--short", "04"} << ShownBox{"Comm Fault", 16, "Fault"}
                                   << "box Fault [open]";
}

void TestCommWindow::firmwareRevision()
{
    QFETCH(QStringList, simArgs);
    QFETCH(ShownBox, box);
    QFETCH(QString, boxLog);
    SimProcess sim(QStringList{"--port", "COM2", "--revision", "REV 2.05 ABCDEFGHI"} + simArgs);
    QVERIFY(sim.Started());
    modCVDMXMap::iComPort = 1;
    frmCVDMXMapComm w;
    w.Form_Load();
    Recorder rec(w);

    w.cmdFirmRev_Click();

    QCOMPARE(rec.boxes, QList<ShownBox>{box});
    QCOMPARE(rec.log, QStringList{boxLog});
    QVERIFY(AtRest(w));
    QCOMPARE(sim.Received(), QList<QByteArray>{"[04]"});

    // Repeated queries work without closing the window.
    rec.boxes.clear();
    w.cmdFirmRev_Click();
    QCOMPARE(rec.boxes, QList<ShownBox>{box});
    QVERIFY(AtRest(w));
}

// The real message box shows a revision that looks like markup letter for letter.
void TestCommWindow::revisionWithMarkupIsShownAsReceived()
{
    const QString revision = QStringLiteral("<b>1.01</b> &amp;x");
    QCOMPARE(revision.size(), 18);
    SimProcess sim({"--port", "COM1", "--revision", revision});
    QVERIFY(sim.Started());
    frmCVDMXMapComm w;
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

void TestCommWindow::openFailure_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("download");
    for (const char *kind : {"missing device", "regular file", "device in use"}) {
        QTest::addRow("%s, download", kind) << QString::fromLatin1(kind) << true;
        QTest::addRow("%s, firmware", kind) << QString::fromLatin1(kind) << false;
    }
}

void TestCommWindow::openFailure()
{
    QFETCH(QString, kind);
    QFETCH(bool, download);
    SimProcess sim({"--port", "COM1"});
    QVERIFY(sim.Started());
    QTemporaryDir dir;
    platform::SerialPort holder;
    QString reason;
    if (kind == QLatin1String("missing device")) {
        platform::WritePrivateProfileString("Ports", "COM1", QFile::encodeName(dir.filePath("ttyGone")),
                                            home_->SettingsFile());
    } else if (kind == QLatin1String("regular file")) {
        QFile f(dir.filePath(QStringLiteral("notatty")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        platform::WritePrivateProfileString("Ports", "COM1", QFile::encodeName(f.fileName()),
                                            home_->SettingsFile());
    } else {
        QVERIFY(holder.Open(sim.Path(), &reason));
    }
    const QByteArray settings = home_->ReadSettings();
    frmCVDMXMapComm w;
    w.Form_Load();
    w.sReply = QStringLiteral("before");
    Recorder rec(w);

    if (download)
        w.cmdDownload_Click();
    else
        w.cmdFirmRev_Click();

    QCOMPARE(rec.boxes, (QList<ShownBox>{{"Invalid COM Port.", 48, "COM Error"}}));
    QCOMPARE(rec.log, QStringList{"box COM Error [closed]"});
    QVERIFY(AtRest(w));
    QCOMPARE(w.sReply, QStringLiteral("before"));
    QVERIFY(!w.bCommFault);
    QVERIFY(home_->ReadSettings().contains(settings.mid(0, settings.indexOf("[Download]"))));
    holder.Close();
    QCOMPARE(sim.Received(), QList<QByteArray>());
    if (kind == QLatin1String("regular file")) {
        QFile f(dir.filePath(QStringLiteral("notatty")));
        QCOMPARE(f.size(), qint64(0));
    }
}

QTEST_MAIN(TestCommWindow)
#include "test_comm_window.moc"
