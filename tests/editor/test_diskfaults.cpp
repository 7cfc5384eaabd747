// Files and folders that refuse the File menu or start-up: what the user is told, and that
// nothing the editor holds or the disk holds is lost.
#include "EditorFixture.h"

#include "comm/frmCVDMXMapComm.h"
#include "document/MapFile.h"
#include "kit/Boxes.h"
#include "kit/DiskFault.h"
#include "kit/FileAccess.h"
#include "kit/FileDialogScript.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "toolkit/FileDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

const QString kCaption = QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01");
const QString kNoneTitle = kCaption + QStringLiteral("   (None)");

// The first size bytes of a file that starts with DiskMap() and goes on with a pattern
// that no map entry would hold.
QByteArray MapFileOfSize(int size)
{
    QByteArray bytes = MapToBytes(DiskMap());
    bytes.reserve(size);
    for (int i = int(bytes.size()); i < size; ++i)
        bytes += char(0xA5 ^ (i * 31));
    return bytes.left(size);
}

// The document before a command: the map edited (entry 4 on output 8, device address 5),
// titled with file, shown. Returns the map.
MapTable StageEditedMap(EditorFixture &f, const QString &file)
{
    sMapFile = file;
    iDmxMap[3] = 7;
    SetDevAdd(4);
    bMapChanged = true;
    f.w->ShowScreen();
    return iDmxMap;
}

// Answers every file dialog with one path. With vanish set it deletes the file first, as
// another program might between the user's choice and the read.
class ChooseFile {
public:
    ChooseFile(const QString &path, bool vanish)
    {
        toolkit::FileDialog::SetResponder([this, path, vanish](bool, toolkit::FileDialog &dialog) {
            ++shown;
            if (vanish)
                QFile::remove(path);
            dialog.FileName = path;
            return true;
        });
    }
    ~ChooseFile() { toolkit::FileDialog::SetResponder({}); }
    ChooseFile(const ChooseFile &) = delete;
    ChooseFile &operator=(const ChooseFile &) = delete;

    int shown = 0;
};

// Opens the communications window from the Download menu, runs pick inside it and closes it.
void InCommWindow(frmCVDMXMap &w, const std::function<void(frmCVDMXMapComm &)> &pick)
{
    QTimer::singleShot(0, &w, [&w, pick] {
        pick(*w.commWindow);
        w.commWindow->cmdClose_Click();
    });
    w.mnuDownload->trigger();
}

} // namespace

class TestDiskFaults : public QObject {
    Q_OBJECT
private slots:
    void refusedCommandLosesNothing_data();
    void refusedCommandLosesNothing();
    void openValidatesTheFile_data();
    void openValidatesTheFile();
    void saveOnAFullDisk_data();
    void saveOnAFullDisk();
    void saveOfAWritableFileInAFolderWithoutWritePermission();
    void startupWithoutAWorkingFolder_data();
    void startupWithoutAWorkingFolder();
    void startupWithA10MBSettingsFileTakesPort1AndLeavesIt();
};

// Each row: the command, the file it meets ('@' is the working folder), what is done to
// that file first, its bytes (null: none written), and the system's reason in the report.
void TestDiskFaults::refusedCommandLosesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    const QByteArray map = MapFileOfSize(1028);
    const QByteArray longMap = MapFileOfSize(100000);
    // The reason depends on how the file is made read-only (kit/FileAccess.h).
    const QString readOnly = QStringLiteral("%read-only");
    QTest::newRow("save: read-only map file") << "save"
                                              << "@/locked.CVX"
                                              << "read-only" << map << readOnly;
    QTest::newRow("save: read-only map file of 100000 bytes") << "save"
                                                              << "@/locked.CVX"
                                                              << "read-only" << longMap << readOnly;
    // Root may write anything, but nobody meant this file to be written.
    QTest::newRow("save: map file of mode 0444, whoever saves") << "save"
                                                                << "@/locked.CVX"
                                                                << "mode 0444" << map << "Permission denied";
    QTest::newRow("save as: over a read-only map file") << "saveas"
                                                        << "@/locked.CVX"
                                                        << "read-only" << map << readOnly;
    QTest::newRow("save: the file's folder is gone") << "save"
                                                     << "@/gone/x.CVX"
                                                     << "" << QByteArray() << "No such file or directory";
    QTest::newRow("save as: a folder") << "saveas"
                                       << "@/folder.CVX"
                                       << "folder" << QByteArray() << "Is a directory";
    QTest::newRow("save as: into a missing folder") << "saveas"
                                                    << "@/missing/new.CVX"
                                                    << "" << QByteArray() << "No such file or directory";
    QTest::newRow("save as: into a folder without write permission")
        << "saveas"
        << "@/shut/new.CVX"
        << "shut folder" << QByteArray() << "Permission denied";
    QTest::newRow("save as: a named pipe") << "saveas"
                                           << "@/pipe.CVX"
                                           << "fifo" << QByteArray() << "Not a regular file";
    QTest::newRow("save as: a device") << "saveas"
                                       << "/dev/null"
                                       << "" << QByteArray() << "Not a regular file";
    QTest::newRow("open: a named pipe") << "open"
                                        << "@/pipe.CVX"
                                        << "fifo" << QByteArray() << "Not a regular file";
    QTest::newRow("open: a folder") << "open"
                                    << "@/folder.CVX"
                                    << "folder" << QByteArray() << "Is a directory";
    QTest::newRow("open: no read permission") << "open"
                                              << "@/secret.CVX"
                                              << "unreadable" << map << "Permission denied";
    QTest::newRow("open: a missing file") << "open"
                                          << "@/gone.CVX"
                                          << "" << QByteArray() << "No such file or directory";
    QTest::newRow("open: file gone after the dialog") << "open"
                                                      << "@/vanishing.CVX"
                                                      << "vanishes" << map << "No such file or directory";
}

void TestDiskFaults::refusedCommandLosesNothing()
{
    QFETCH(QString, command);
    QFETCH(QString, target);
    QFETCH(QString, setup);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);

    EditorFixture f;
    const QString dir = f.home.WorkFolder();
    target.replace(QLatin1Char('@'), dir);
    reason.replace(QLatin1Char('@'), target);
    if (!content.isNull())
        QVERIFY(WriteBytes(target, content));
    if (setup == "folder")
        QVERIFY(QDir(dir).mkdir(QStringLiteral("folder.CVX")));
    if (setup == "shut folder")
        QVERIFY(QDir(dir).mkdir(QStringLiteral("shut")));
    if (setup == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    // Nothing may wait on a pipe that nobody writes or reads.
    const HangGuard guard(20);

    // The document before the command: titled, edited, shown.
    const QString current = dir + QStringLiteral("/current.CVX");
    const QByteArray currentBytes = MapFileOfSize(1028);
    QVERIFY(WriteBytes(current, currentBytes));
    const MapTable map = StageEditedMap(f, command == "save" ? target : current);
    const QString file = sMapFile;
    const QString title = f.w->windowTitle();
    QCOMPARE(title, kCaption + QStringLiteral("   ") + file);
    QStringList listing = Entries(dir);

    std::optional<ReadOnlyFile> readOnly;
    std::optional<TemporaryMode> mode;
    std::optional<NoPermissionOverride> noOverride;
    if (setup == "read-only") {
        readOnly.emplace(target);
        QVERIFY(readOnly->Ok());
        reason.replace(QLatin1String("%read-only"), readOnly->Reason());
    }
    if (setup == "unreadable")
        mode.emplace(target, 0u);
    std::optional<TemporaryMode> mode0444;
    if (setup == "mode 0444") {
        mode0444.emplace(target, 0444u);
        QVERIFY(mode0444->Ok());
    }
    if (setup == "shut folder")
        mode.emplace(dir + QStringLiteral("/shut"), 0555u);
    if (mode) {
        noOverride.emplace();
        QVERIFY(mode->Ok() && noOverride->Ok());
    }
    if (setup == "vanishes")
        listing.removeOne(QStringLiteral("vanishing.CVX"));

    ChooseFile dialog(target, setup == "vanishes");
    f.boxes.Answer({toolkit::vbYes, toolkit::vbOK});
    f.FileCommand(command);
    noOverride.reset();
    mode.reset();
    mode0444.reset();
    readOnly.reset();

    const QString text = (command == "open" ? QStringLiteral("Unable To Open Map File.\r\n")
                                            : QStringLiteral("Unable To Save Map File.\r\n"))
        + target + QStringLiteral("\r\n") + reason;
    QList<ShownBox> expected{FileErrorBox(text)};
    if (command == "open")
        expected.prepend(kDiscardBox);
    QCOMPARE(f.boxes.Shown(), expected);
    QCOMPARE(f.boxes.Unexpected(), 0);
    QCOMPARE(dialog.shown, command == "save" ? 0 : 1);

    QVERIFY(iDmxMap == map);
    QCOMPARE(sMapFile, file);
    QCOMPARE(bMapChanged, true);
    QCOMPARE(f.w->windowTitle(), title);
    QCOMPARE(f.Text(3), QStringLiteral("D:06.4"));
    QCOMPARE(f.w->cboDevAdd->ListIndex(), 4);
    QCOMPARE(ReadBytes(current), currentBytes);
    if (setup == "vanishes")
        QVERIFY(!QFile::exists(target));
    else if (setup == "fifo")
        QVERIFY(QFileInfo(target).exists() && !QFileInfo(target).isFile());
    else if (!content.isNull())
        QCOMPARE(ReadBytes(target), content);
    // No half-written or temporary file left behind, no folder created.
    QCOMPARE(Entries(dir), listing);
    QCOMPARE(Entries(dir + QStringLiteral("/shut")), QStringList());
}

// Each row: the file opened and whether it is a map file. From 1028 bytes on, the first
// 1028 are the map and a later Save replaces only those.
void TestDiskFaults::openValidatesTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    for (int size : {0, 1, 1027, 1028, 1029, 100000})
        QTest::addRow("%d bytes", size) << MapFileOfSize(size) << (size >= 1028);
    QByteArray range = MapFileOfSize(1028);
    range[2 * kDevRangeEntry] = 20;
    QTest::newRow("device range 21") << range << false;
    QByteArray address = MapFileOfSize(1028);
    address[2 * kDevAddEntry + 1] = char(0x80);
    QTest::newRow("device address negative") << address << false;
}

void TestDiskFaults::openValidatesTheFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    const qsizetype size = content.size();
    EditorFixture f;
    const QString dir = f.home.WorkFolder();
    const QString path = dir + QStringLiteral("/sized.CVX");
    QVERIFY(WriteBytes(path, content));
    const QString current = dir + QStringLiteral("/current.CVX");
    sMapFile = current;
    iDmxMap[9] = 12;
    bMapChanged = true;
    f.w->ShowScreen();
    const MapTable edited = iDmxMap;

    FileDialogScript dialogs({path});
    f.boxes.Answer({toolkit::vbYes, toolkit::vbOK});
    f.w->mnuFileOpen->trigger();

    QList<ShownBox> expected{kDiscardBox};
    if (!accepted)
        expected << FileErrorBox(QStringLiteral("Not A Valid Map File.\r\n") + path);
    QCOMPARE(f.boxes.Shown(), expected);
    QCOMPARE(f.boxes.Unexpected(), 0);
    QCOMPARE(dialogs.Unexpected(), 0);
    QCOMPARE(ReadBytes(path), content);
    if (!accepted) {
        QVERIFY(iDmxMap == edited);
        QCOMPARE(sMapFile, current);
        QCOMPARE(bMapChanged, true);
        QCOMPARE(f.w->windowTitle(), kCaption + QStringLiteral("   ") + current);
        QVERIFY(!QFile::exists(current));
        return;
    }
    QVERIFY(iDmxMap == DiskMap());
    QCOMPARE(sMapFile, path);
    QCOMPARE(bMapChanged, false);
    QCOMPARE(f.w->windowTitle(), kCaption + QStringLiteral("   ") + path);
    QCOMPARE(f.w->cboDevAdd->ListIndex(), 2);
    QCOMPARE(f.w->cboDevRange->ListIndex(), 6);
    QCOMPARE(f.Text(0), QStringLiteral("D:04.2"));

    // Save replaces the map and keeps whatever followed it.
    iDmxMap[1] = 9;
    bMapChanged = true;
    const QByteArray saved = MapToBytes(iDmxMap);
    f.boxes.Reset();
    f.w->mnuFileSave->trigger();
    QCOMPARE(f.boxes.Shown(), QList<ShownBox>());
    const QByteArray now = ReadBytes(path);
    QCOMPARE(now.size(), size);
    QCOMPARE(now.left(1028), saved);
    QVERIFY(now.mid(1028) == content.mid(1028));
    QCOMPARE(bMapChanged, false);
    QCOMPARE(sMapFile, path);
}

// Each row: the fault the save meets (a full file system, or a file-size limit of 1 KiB
// on a file in an ordinary folder), the file saved over ("map": 1028 bytes, "tail": 2000
// bytes, "linked": 1028 bytes with a second hard link, "new": none yet, through Save As)
// and the reason reported; none when the save must succeed.
void TestDiskFaults::saveOnAFullDisk_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    const QString full = QStringLiteral("No space left on device");
    const QString tooLarge = QStringLiteral("File too large");
    if (FullFileSystem::Possible()) {
        QTest::newRow("full disk: 1028-byte map") << "full"
                                                  << "map" << full;
        QTest::newRow("full disk: map with a tail") << "full"
                                                    << "tail" << full;
        // Rewritten where it stands only once a copy of its old bytes is beside it: no room.
        QTest::newRow("full disk: hard-linked map, no room for a copy of its old bytes") << "full"
                                                                                         << "linked" << full;
        QTest::newRow("full disk: new file") << "full"
                                             << "new" << full;
    }
    QTest::newRow("size limit: 1028-byte map") << "limit"
                                               << "map" << tooLarge;
    QTest::newRow("size limit: map with a tail") << "limit"
                                                 << "tail" << tooLarge;
    QTest::newRow("size limit: hard-linked map") << "limit"
                                                 << "linked" << tooLarge;
    QTest::newRow("size limit: new file") << "limit"
                                          << "new" << tooLarge;
}

void TestDiskFaults::saveOnAFullDisk()
{
    QFETCH(QString, fault);
    QFETCH(QString, file);
    QFETCH(QString, reason);
    EditorFixture f;
    const std::unique_ptr<FullFileSystem> disk = FullFileSystemFor(fault);
    QVERIFY(!disk || disk->Ok());
    const QString dir = disk ? disk->Path() : f.home.WorkFolder();
    const QString path = dir + QStringLiteral("/stage.CVX");
    const QString other = dir + QStringLiteral("/other.CVX");
    const QByteArray old = file == "new" ? QByteArray() : MapFileOfSize(file == "tail" ? 2000 : 1028);
    if (file != "new")
        QVERIFY(WriteBytes(path, old));
    if (file == "linked")
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);

    // Untitled for a save into a new file.
    const MapTable map = StageEditedMap(f, file == "new" ? kNoFile : path);
    const QString title = f.w->windowTitle();

    std::optional<FileSizeLimit> limit;
    if (disk)
        QVERIFY(disk->Fill());
    else
        limit.emplace(1024);
    const QStringList listing = Entries(dir);
    ChooseFile dialog(path, false);
    f.boxes.Answer({toolkit::vbOK});
    f.w->mnuFileSave->trigger();
    limit.reset();

    QCOMPARE(dialog.shown, file == "new" ? 1 : 0);
    QCOMPARE(f.boxes.Unexpected(), 0);
    QVERIFY(iDmxMap == map);
    if (reason.isEmpty()) {
        QCOMPARE(f.boxes.Shown(), QList<ShownBox>());
        QCOMPARE(ReadBytes(path), MapToBytes(map) + old.mid(1028));
        if (file == "linked")
            QCOMPARE(ReadBytes(other), ReadBytes(path));
        QCOMPARE(bMapChanged, false);
        return;
    }
    QCOMPARE(f.boxes.Shown(),
             QList<ShownBox>({FileErrorBox(QStringLiteral("Unable To Save Map File.\r\n") + path
                                           + QStringLiteral("\r\n") + reason)}));
    QCOMPARE(bMapChanged, true);
    QCOMPARE(sMapFile, file == "new" ? kNoFile : path);
    QCOMPARE(f.w->windowTitle(), title);
    if (file == "new")
        QVERIFY(!QFile::exists(path));
    else
        QCOMPARE(ReadBytes(path), old);
    if (file == "linked")
        QCOMPARE(ReadBytes(other), old);
    // No half-written or temporary file left behind.
    QCOMPARE(Entries(dir), listing);
}

// A map file the user may write, in a folder where no new file may be made: Save writes
// it in place, whole, as it would any other writable file.
void TestDiskFaults::saveOfAWritableFileInAFolderWithoutWritePermission()
{
    EditorFixture f;
    const QString folder = f.home.WorkFolder() + QStringLiteral("/shared");
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/stage.CVX");
    const QByteArray old = MapFileOfSize(1500);
    QVERIFY(WriteBytes(path, old));
    sMapFile = path;
    iDmxMap[2] = 40;
    bMapChanged = true;
    const QByteArray saved = MapToBytes(iDmxMap);
    {
        TemporaryMode shut(folder, 0555);
        NoPermissionOverride noOverride;
        QVERIFY(shut.Ok() && noOverride.Ok());
        f.w->mnuFileSave->trigger();
    }
    QCOMPARE(f.boxes.Shown(), QList<ShownBox>());
    QCOMPARE(ReadBytes(path), saved + old.mid(1028));
    QCOMPARE(bMapChanged, false);
    QCOMPARE(sMapFile, path);
    QCOMPARE(Entries(folder), QStringList({"stage.CVX"}));
}

// Each row: why start-up cannot create the working folder. It is reported once, the home
// folder is left as it was, no settings are written, the port chosen in the communications
// window holds for the rest of the run, and the editor still saves elsewhere.
void TestDiskFaults::startupWithoutAWorkingFolder_data()
{
    QTest::addColumn<bool>("fileInItsPlace");
    QTest::newRow("a plain file where the working folder belongs") << true;
    QTest::newRow("a home folder without write permission") << false;
}

void TestDiskFaults::startupWithoutAWorkingFolder()
{
    QFETCH(bool, fileInItsPlace);
    TempHome home;
    QTemporaryDir elsewhereFolder;
    const QByteArray blocker("not a folder\n");
    std::optional<TemporaryMode> shut;
    std::optional<NoPermissionOverride> noOverride;
    if (fileInItsPlace) {
        QVERIFY(WriteBytes(home.WorkFolder(), blocker));
    } else {
        shut.emplace(home.Path(), 0555);
        noOverride.emplace();
        QVERIFY(shut->Ok() && noOverride->Ok());
    }
    const QStringList homeBefore = Entries(home.Path());
    MsgBoxScript boxes({toolkit::vbOK});
    iComPort = 5;
    frmCVDMXMap w;
    w.ShowAndActivate();

    QCOMPARE(boxes.Shown(), QList<ShownBox>({FolderErrorBox(home.WorkFolder())}));
    QCOMPARE(boxes.Unexpected(), 0);
    QCOMPARE(int(iComPort), 0);
    QCOMPARE(w.windowTitle(), kNoneTitle);
    QCOMPARE(w.lblDMXChan[511].Caption(), QStringLiteral("512"));
    QCOMPARE(bMapChanged, false);

    int portOfTheLine = 0;
    InCommWindow(w, [&](frmCVDMXMapComm &comm) {
        comm.cboComPort->SetListIndex(3);
        portOfTheLine = comm.comDev().CommPort().Number();
    });
    QCOMPARE(int(iComPort), 3);
    QCOMPARE(portOfTheLine, 4);
    int shownAgain = -1;
    InCommWindow(w, [&](frmCVDMXMapComm &comm) { shownAgain = comm.cboComPort->ListIndex(); });
    QCOMPARE(shownAgain, 3);
    QCOMPARE(int(iComPort), 3);

    const QString elsewhere = elsewhereFolder.filePath(QStringLiteral("elsewhere.CVX"));
    FileDialogScript dialogs({elsewhere});
    w.cboDevAdd->SetListIndex(5);
    QTest::mousePress(w.grid, Qt::LeftButton, Qt::NoModifier, w.lblDimChan[0].Rect().topLeft() + QPoint(5, 5));
    QVERIFY(w.cboDimChan->isVisible());
    w.cboDimChan->SetListIndex(3);
    QCOMPARE(iDmxMap[0], int16_t(2));
    QCOMPARE(bMapChanged, true);
    const QByteArray expected = MapToBytes(iDmxMap);
    w.mnuFileSaveAs->trigger();
    QCOMPARE(dialogs.Shown().size(), 1);
    QCOMPARE(dialogs.Shown()[0].startName, home.WorkFolder() + QStringLiteral("/*.CVX"));
    QCOMPARE(ReadBytes(elsewhere), expected);
    QCOMPARE(sMapFile, elsewhere);
    QCOMPARE(bMapChanged, false);
    QCOMPARE(w.windowTitle(), kCaption + QStringLiteral("   ") + elsewhere);

    QCOMPARE(boxes.Shown().size(), 1);
    QCOMPARE(Entries(home.Path()), homeBefore);
    if (fileInItsPlace)
        QCOMPARE(ReadBytes(home.WorkFolder()), blocker);
}

// Ten megabytes of settings, far beyond the 1 MiB a settings file may have: start-up reads
// no more than that, takes port 1 and leaves the file as it was.
void TestDiskFaults::startupWithA10MBSettingsFileTakesPort1AndLeavesIt()
{
    TempHome home;
    QByteArray settings;
    settings.reserve(10 << 20);
    while (settings.size() < (10 << 20))
        settings += "; filler line of a settings file that grew without bound\n";
    home.WriteSettings(settings);
    MsgBoxScript boxes;
    iComPort = 5;
    QElapsedTimer clock;
    clock.start();
    frmCVDMXMap w;
    w.ShowAndActivate();
    QVERIFY2(clock.elapsed() < 60000, qPrintable(QStringLiteral("start-up took %1 ms").arg(clock.elapsed())));
    QCOMPARE(int(iComPort), 0);
    QCOMPARE(boxes.Shown().size(), 0);
    QCOMPARE(w.windowTitle(), kNoneTitle);
    QVERIFY(home.ReadSettings() == settings);
}

QTEST_MAIN(TestDiskFaults)
#include "test_diskfaults.moc"
