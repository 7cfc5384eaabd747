// The editor's program as a user starts it: RunEditor with a command line, a map file named
// on it opened as File/Open opens it, Qt's own options taken by Qt, the client in a scroll
// area only on a screen too small for the window; and the shipped program refusing a wrong
// command line before any window shows.
#include "app/RunEditor.h"
#include "document/MapFile.h"
#include "editor/frmCVDMXMap.h"
#include "kit/Boxes.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/TempHome.h"
#include "toolkit/MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <functional>

using namespace modCVDMXMap;

namespace {

const QString kCaption = QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   ");

// What the running editor showed, read once its event loop runs.
struct Seen {
    bool ran = false;
    QString title;
    QString style;
    QSize screen;
    QRect available;
    QRect frame;
    bool clientIsCentral = false;
    int scrollAreas = 0;
    QPoint scroll;        // the scroll bars' values at start
    QPoint scrollMaximum; // how far they go
    QSize viewport;
    QSize client;
    QList<QRect> controls;        // every widget in the client, in the order of creation
    QList<QPoint> cornersReached; // each corner cell's place in the viewport, once scrolled to
};

std::function<void()> gOnRunning;

// Calls gOnRunning from the program's event loop: RunEditor has done all it does before.
void WhenRunning()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (QThread::currentThread()->loopLevel() == 0)
                WhenRunning();
            else if (gOnRunning)
                gOnRunning();
        },
        Qt::QueuedConnection);
}

void OnApplication()
{
    if (gOnRunning)
        WhenRunning();
}
Q_COREAPP_STARTUP_FUNCTION(OnApplication)

void Look(frmCVDMXMap &w, Seen &seen)
{
    seen.ran = true;
    seen.title = w.windowTitle();
    seen.style = QApplication::style()->name();
    seen.screen = w.screen()->geometry().size();
    seen.available = w.screen()->availableGeometry();
    seen.frame = w.frameGeometry();
    seen.clientIsCentral = w.centralWidget() == w.client;
    seen.scrollAreas = int(w.findChildren<QScrollArea *>().size());
    seen.client = w.client->size();
    for (QWidget *child : w.client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        seen.controls << child->geometry();
    if (auto *scroll = qobject_cast<QScrollArea *>(w.centralWidget())) {
        seen.scroll = {scroll->horizontalScrollBar()->value(), scroll->verticalScrollBar()->value()};
        seen.scrollMaximum = {scroll->horizontalScrollBar()->maximum(), scroll->verticalScrollBar()->maximum()};
        seen.viewport = scroll->viewport()->size();
        for (const toolkit::Cell &corner : {w.lblDMXChan[0], w.lblDimChan[31], w.lblDimChan[511], w.lblDMXChan[480]}) {
            const QRect cell = corner.Rect();
            scroll->ensureVisible(cell.center().x(), cell.center().y(), cell.width() / 2 + 1, cell.height() / 2 + 1);
            seen.cornersReached << w.grid->mapTo(scroll->viewport(), cell.topLeft());
            if (!scroll->viewport()->rect().contains(QRect(seen.cornersReached.last(), cell.size())))
                seen.cornersReached.last() = QPoint(-1, -1);
        }
    }
}

// Runs the editor's program with these words after its name; what it showed goes to seen.
int RunWith(const QStringList &words, Seen &seen)
{
    QList<QByteArray> storage{"cvdmxmap"};
    for (const QString &word : words)
        storage << QFile::encodeName(word);
    std::vector<char *> argv;
    for (QByteArray &word : storage)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int argc = int(storage.size());
    gOnRunning = [&seen] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *w = qobject_cast<frmCVDMXMap *>(top); w && w->isVisible()) {
                Look(*w, seen);
                w->close();
                return;
            }
        }
        QCoreApplication::exit(99);
    };
    const int status = RunEditor(argc, argv.data());
    gOnRunning = nullptr;
    return status;
}

// -platform with an offscreen screen of this size, as the tests' own but for the size.
QStringList Screen(const QTemporaryDir &dir, int width, int height)
{
    const QString path = dir.filePath(QStringLiteral("screen-%1x%2.json").arg(width).arg(height));
    WriteBytes(
        path,
        QStringLiteral("{ \"windowFrameMargins\": true, \"screens\": [ { \"name\": \"screen\", \"x\": 0, \"y\": 0, "
                       "\"width\": %1, \"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1 } ] }")
            .arg(width)
            .arg(height)
            .toLatin1());
    return {QStringLiteral("-platform"), QStringLiteral("offscreen:configfile=") + path};
}

struct ProgramRun {
    bool finished = false;
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// The shipped program, with the environment's display or, when display is false, none.
// It runs in a desktop's environment, which has a private runtime folder.
ProgramRun RunProgram(const QStringList &args, bool display = true)
{
    QTemporaryDir runtime;
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    if (!display) {
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
    }
    proc.setProcessEnvironment(env);
    proc.start(QFile::decodeName(qgetenv("CVDMX_EDITOR")), args);
    ProgramRun run;
    // A window that showed would keep the program running.
    if (!proc.waitForFinished(30000)) {
        proc.kill();
        proc.waitForFinished(10000);
        return run;
    }
    run.finished = proc.exitStatus() == QProcess::NormalExit;
    run.status = proc.exitCode();
    run.out = proc.readAllStandardOutput();
    run.err = proc.readAllStandardError();
    return run;
}

const QByteArray kUsageLine = "Usage: cvdmxmap [FILE] (cvdmxmap --help says more)\n";

} // namespace

class TestRunEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void mapFileNamedOnTheCommandLine_data();
    void mapFileNamedOnTheCommandLine();
    void qtsOwnOptionsAreQtsOwn();
    void screenTooSmallForTheWindow_data();
    void screenTooSmallForTheWindow();
    void wrongCommandLineRefusedBeforeAnyWindow_data();
    void wrongCommandLineRefusedBeforeAnyWindow();
    void helpAndVersion_data();
    void helpAndVersion();

private:
    QTemporaryDir screens_;
    Seen designed_; // on the tests' 1920 x 1080 screen
};

void TestRunEditor::initTestCase()
{
    TempHome home;
    MsgBoxScript boxes;
    QCOMPARE(RunWith({}, designed_), 0);
    QVERIFY(designed_.ran);
    QCOMPARE(designed_.screen, QSize(1920, 1080));
    QCOMPARE(boxes.Shown().size(), 0);
}

// %good, %short and %missing stand for files in the home folder, %home for the folder, in
// which the program starts. Each row: what the map, its name and the title are once the
// editor runs, and the message box shown.
void TestRunEditor::mapFileNamedOnTheCommandLine_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("box");
    QTest::newRow("no file") << QStringList() << "None" << QString();
    QTest::newRow("a map file") << QStringList{"%good"} << "%good" << QString();
    QTest::newRow("a name relative to the working folder") << QStringList{"Good.CVX"} << "%good" << QString();
    QTest::newRow("a name starting with a dash, after --")
        << QStringList{"--", "-dash.CVX"} << "%home/-dash.CVX" << QString();
    QTest::newRow("too short: refused, a new map") << QStringList{"%short"} << "None"
                                                   << "Not A Valid Map File.\r\n%short";
    QTest::newRow("missing: a new map") << QStringList{"%missing"} << "None"
                                        << "Unable To Open Map File.\r\n%missing\r\nNo such file or directory";
}

void TestRunEditor::mapFileNamedOnTheCommandLine()
{
    QFETCH(QStringList, words);
    QFETCH(QString, opened);
    QFETCH(QString, box);
    TempHome home;
    MsgBoxScript boxes;
    if (!box.isEmpty())
        boxes.Answer({toolkit::vbOK});
    const auto resolve = [&home](QString word) {
        return word.replace(QLatin1String("%good"), home.Path() + QStringLiteral("/Good.CVX"))
            .replace(QLatin1String("%short"), home.Path() + QStringLiteral("/Short.CVX"))
            .replace(QLatin1String("%missing"), home.Path() + QStringLiteral("/Missing.CVX"))
            .replace(QLatin1String("%home"), home.Path());
    };
    for (QString &word : words)
        word = resolve(word);
    QVERIFY(WriteBytes(resolve("%good"), MapToBytes(DiskMap())));
    QVERIFY(WriteBytes(home.Path() + QStringLiteral("/-dash.CVX"), MapToBytes(DiskMap())));
    QVERIFY(WriteBytes(resolve("%short"), MapToBytes(DiskMap()).left(kMapFileSize - 1)));
    const QString oldFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(home.Path()));

    Seen seen;
    const int status = RunWith(words, seen);
    QDir::setCurrent(oldFolder);
    QCOMPARE(status, 0);
    QVERIFY(seen.ran);
    opened = resolve(opened);
    QCOMPARE(sMapFile, opened);
    QCOMPARE(seen.title, kCaption + (opened == QLatin1String("None") ? QStringLiteral("(None)") : opened));
    QCOMPARE(iDmxMap, opened == QLatin1String("None") ? ResetMap() : DiskMap());
    QCOMPARE(bMapChanged, false);
    QCOMPARE(boxes.Shown(), box.isEmpty() ? QList<ShownBox>() : QList<ShownBox>{FileErrorBox(resolve(box))});
    QCOMPARE(boxes.Unexpected(), 0);
}

// Qt's own options, anywhere among the words, are Qt's: the file is still the one map file.
void TestRunEditor::qtsOwnOptionsAreQtsOwn()
{
    TempHome home;
    MsgBoxScript boxes;
    const QString file = home.Path() + QStringLiteral("/Good.CVX");
    QVERIFY(WriteBytes(file, MapToBytes(DiskMap())));
    Seen seen;
    QCOMPARE(RunWith(QStringList{"-style", "fusion", file} + Screen(screens_, 1600, 900), seen), 0);
    QVERIFY(seen.ran);
    QCOMPARE(seen.style, QStringLiteral("fusion"));
    QCOMPARE(seen.screen, QSize(1600, 900));
    QCOMPARE(sMapFile, file);
    QCOMPARE(boxes.Shown().size(), 0);
}

// Each row: an offscreen screen, and whether the window fits it. Where it fits, the window
// is as on the tests' large screen, with no scroll area; where not, the window stands
// inside the screen, its client in a scroll area at the top left, every control where it
// was in the client, and the client's every corner within reach.
void TestRunEditor::screenTooSmallForTheWindow_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("fits");
    QTest::newRow("1366 x 768: fits") << 1366 << 768 << true;
    QTest::newRow("1280 x 800: too narrow") << 1280 << 800 << false;
    QTest::newRow("1280 x 720: too narrow and too low") << 1280 << 720 << false;
    QTest::newRow("1024 x 600: a netbook") << 1024 << 600 << false;
    QTest::newRow("1600 x 680: too low") << 1600 << 680 << false;
}

void TestRunEditor::screenTooSmallForTheWindow()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, fits);
    TempHome home;
    MsgBoxScript boxes;
    Seen seen;
    QCOMPARE(RunWith(Screen(screens_, width, height), seen), 0);
    QVERIFY(seen.ran);
    QCOMPARE(seen.screen, QSize(width, height));
    QCOMPARE(seen.client, QSize(1321, 673));
    QVERIFY(seen.controls.contains(QRect(0, 0, 1321, 673))); // the grid
    QCOMPARE(seen.controls, designed_.controls);
    QCOMPARE(boxes.Shown().size(), 0);
    if (fits) {
        QVERIFY(seen.clientIsCentral);
        QCOMPARE(seen.scrollAreas, 0);
        QCOMPARE(seen.frame.size(), designed_.frame.size());
        QCOMPARE(seen.frame.top(), 4);
        return;
    }
    QVERIFY(!seen.clientIsCentral);
    QCOMPARE(seen.scrollAreas, 1);
    QVERIFY2(seen.available.contains(seen.frame),
             qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                            .arg(seen.frame.x())
                            .arg(seen.frame.y())
                            .arg(seen.frame.width())
                            .arg(seen.frame.height())));
    // As large as the screen where the window is too large, with no scrolling where it is not.
    if (designed_.frame.width() > width)
        QCOMPARE(seen.frame.width(), width);
    else
        QCOMPARE(seen.scrollMaximum.x(), 0);
    if (designed_.frame.height() > height)
        QCOMPARE(seen.frame.height(), height);
    else
        QCOMPARE(seen.scrollMaximum.y(), 0);
    QCOMPARE(seen.scroll, QPoint(0, 0));
    // Scrolling reaches the whole client and no more.
    QCOMPARE(seen.scrollMaximum,
             QPoint(std::max(0, 1321 - seen.viewport.width()), std::max(0, 673 - seen.viewport.height())));
    QVERIFY(seen.scrollMaximum != QPoint(0, 0));
    QCOMPARE(seen.cornersReached.size(), 4);
    QVERIFY(!seen.cornersReached.contains(QPoint(-1, -1)));
}

void TestRunEditor::wrongCommandLineRefusedBeforeAnyWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("display");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("two files") << QStringList{"a.CVX", "b.CVX"} << true
                               << "cvdmxmap: Too many arguments: b.CVX (one map file at most).\n" + kUsageLine;
    QTest::newRow("three files") << QStringList{"a.CVX", "b.CVX", "c.CVX"} << true
                                 << "cvdmxmap: Too many arguments: b.CVX c.CVX (one map file at most).\n" + kUsageLine;
    QTest::newRow("an unknown option") << QStringList{"--frobnicate", "a.CVX"} << true
                                       << "cvdmxmap: Unknown option 'frobnicate'.\n" + kUsageLine;
    QTest::newRow("an unknown short option")
        << QStringList{"-x"} << true << "cvdmxmap: Unknown option 'x'.\n" + kUsageLine;
    QTest::newRow("an empty name") << QStringList{""} << true
                                   << "cvdmxmap: The map file's name is empty.\n" + kUsageLine;
    const QByteArray noDisplay
        = "cvdmxmap: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
          "Start it from a desktop session, or over SSH with X forwarding (ssh -X), or\n"
          "in a virtual display: xvfb-run -a cvdmxmap\n";
    QTest::newRow("no display") << QStringList() << false << noDisplay;
    QTest::newRow("a file, no display") << QStringList{"a.CVX"} << false << noDisplay;
}

// Status 2 and the reason on standard error: a window would keep the program running.
void TestRunEditor::wrongCommandLineRefusedBeforeAnyWindow()
{
    QFETCH(QStringList, args);
    QFETCH(bool, display);
    QFETCH(QByteArray, err);
    TempHome home;
    const ProgramRun run = RunProgram(args, display);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, err);
    // Nothing was started: no working folder made.
    QVERIFY(!QFileInfo::exists(home.WorkFolder()));
}

void TestRunEditor::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("display");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::newRow("--help") << QStringList{"--help"} << true << QByteArray("Usage: cvdmxmap [FILE]");
    QTest::newRow("-h, no display") << QStringList{"-h"} << false << QByteArray("Usage: cvdmxmap [FILE]");
    QTest::newRow("--version") << QStringList{"--version"} << true << QByteArray("cvdmxmap 1.01");
    QTest::newRow("-v, no display") << QStringList{"-v"} << false << QByteArray("cvdmxmap 1.01");
}

void TestRunEditor::helpAndVersion()
{
    QFETCH(QStringList, args);
    QFETCH(bool, display);
    QFETCH(QByteArray, firstLine);
    TempHome home;
    const ProgramRun run = RunProgram(args, display);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out.left(run.out.indexOf('\n')), firstLine);
    QVERIFY(run.out.endsWith('\n'));
    QCOMPARE(run.err, QByteArray());
    QVERIFY(!QFileInfo::exists(home.WorkFolder()));
}

// No application object of the test's own: each case's RunEditor makes and ends one.
int main(int argc, char *argv[])
{
    TestRunEditor test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_runeditor.moc"
