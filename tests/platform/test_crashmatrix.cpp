// Every writer of the program's files, killed with SIGKILL on entry to each of its calls
// that change a file, in turn, as a crash or a power cut stops it: the file then reads as
// its old or its new bytes, nothing left beside it is more readable than the file, and the
// next run of the same writer leaves the new bytes and nothing else.
#include "document/MapCsv.h"
#include "editor/DocumentGlobals.h"
#include "kit/ChildRun.h"
#include "kit/DiskFault.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/TempHome.h"
#include "platform/Profile.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

const char kSaveMapWord[] = "--save-map";
const QByteArray kTail = "a tail the editor keeps after the map\n";
const QString kLockName = QStringLiteral(".QRT Corvanta DMX Map.ini.lock");
constexpr mode_t kTargetMode = 0640;
constexpr uid_t kOtherUser = 1001;

MapTable SavedMap()
{
    return MapOf([](int i) { return int16_t(i % kOutputs); }, 4, 9);
}

// The child that saves as the editor's File/Save does: WriteMapFile of iDmxMap.
int SaveMapAsTheEditorDoes(const QString &path)
{
    iDmxMap = SavedMap();
    return WriteMapFile(path).kind == MapFileError::None ? 0 : 3;
}

// A sheet made twice differs in its creation time only.
QByteArray WithoutDate(QByteArray pdf)
{
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:[0-9]{14}"));
    const QRegularExpressionMatch m = date.match(QString::fromLatin1(pdf));
    if (m.hasMatch())
        pdf.replace(int(m.capturedStart()), int(m.capturedLength()), QByteArray(int(m.capturedLength()), '-'));
    return pdf;
}

// One writer, the files it meets, and what it leaves when done.
struct Scene {
    QString folder; // the target's folder, emptied and filled again before each run
    QString target;
    QString link; // a second hard link to the target, or empty
    QString program;
    QStringList args;
    QByteArray oldBytes;
    QByteArray newBytes; // for the sheet: learnt from a complete run
    bool settings = false;
    bool pdf = false;
    bool stopAfterFirstLine = false;
    bool attributes = false; // an extended attribute on the file, a default ACL on its folder
    bool otherOwner = false; // the file another user's, saved by root
};

Scene MakeScene(const QString &writer, const QString &file, const TempHome &home)
{
    const bool linked = file == "linked";
    Scene s;
    s.attributes = file == "attributes";
    s.otherOwner = file == "other owner";
    s.folder = home.WorkFolder();
    const QString in = home.Path() + QStringLiteral("/in");
    QDir().mkpath(in);
    const QString cli = QFile::decodeName(qgetenv("CVDMX_CLI"));
    if (writer == "ports") {
        s.settings = true;
        s.target = home.SettingsFile();
        s.oldBytes
            = "; the rig in hall 2\n[Ports]\nCOM2=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
              "[Other]\nkey=value\n";
        s.newBytes = "; the rig in hall 2\n[Ports]\nCOM2=/dev/ttyUSB1\n[Other]\nkey=value\n";
        s.program = cli;
        s.args = QStringList{"ports", "--set", "COM2=/dev/ttyUSB1"};
    } else if (writer == "sheet") {
        // Fonts go into the sheet in the order of a hash; unseeded, only the date differs.
        qputenv("QT_HASH_SEED", "0");
        s.pdf = true;
        s.target = s.folder + QStringLiteral("/Rig 4.pdf");
        s.oldBytes = QByteArray(linked ? 200000 : 20000, 'o');
        const QString map = in + QStringLiteral("/Rig 4.CVX");
        WriteBytes(map, MapToBytes(DiskMap()));
        s.program = cli;
        s.args = QStringList{"sheet", map, "-o", s.target, "--paper", "a4"};
    } else {
        s.target = s.folder + QStringLiteral("/Stage.CVX");
        s.oldBytes = MapToBytes(DiskMap()) + kTail;
        s.newBytes = MapToBytes(SavedMap()) + kTail;
        if (writer == "save") {
            s.program = QCoreApplication::applicationFilePath();
            s.args = QStringList{kSaveMapWord, s.target};
        } else if (writer == "import") {
            const QString csv = in + QStringLiteral("/rows.csv");
            WriteBytes(csv, MapToCsv(SavedMap()).toUtf8());
            s.program = cli;
            s.args = QStringList{"import", csv, "-o", s.target};
        } else {
            s.newBytes = MapToBytes(EmptyMap()) + kTail;
            s.program = QFile::decodeName(qgetenv("CVDMX_SIM"));
            s.args = QStringList{"--save", s.target};
            s.stopAfterFirstLine = true;
        }
    }
    if (linked)
        s.link = s.folder + (s.settings ? QStringLiteral("/shared.ini") : QStringLiteral("/linked copy"));
    return s;
}

bool SetDefaultAcl(const QString &folder)
{
    QProcess p;
    p.start(QStringLiteral("setfacl"), {"-d", "-m", "u:1234:rw", folder});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The folder as it stands before the writer runs: the old file, mode 0640, and its link.
bool Stage(const Scene &s)
{
    QDir(s.folder).removeRecursively();
    const QByteArray target = QFile::encodeName(s.target);
    if (!QDir().mkpath(s.folder) || !WriteBytes(s.target, s.oldBytes) || ::chmod(target.constData(), kTargetMode) != 0)
        return false;
    if (!s.link.isEmpty() && ::link(target.constData(), QFile::encodeName(s.link).constData()) != 0)
        return false;
    if (s.attributes
        && (::setxattr(target.constData(), "user.cvdmx", "stage left", 10, 0) != 0 || !SetDefaultAcl(s.folder)))
        return false;
    return !s.otherOwner || ::chown(target.constData(), kOtherUser, kOtherUser) == 0;
}

// The names the folder keeps whatever happens (besides the settings lock file).
QStringList FixedNames(const Scene &s)
{
    QStringList names{QFileInfo(s.target).fileName()};
    if (!s.link.isEmpty())
        names << QFileInfo(s.link).fileName();
    return names;
}

// What else a run left in the folder.
QStringList LeftOver(const Scene &s)
{
    QStringList names = Entries(s.folder);
    for (const QString &name : FixedNames(s) + QStringList{kLockName})
        names.removeAll(name);
    return names;
}

// A run of the writer, traced (and killed at a call) unless killAtCall is negative.
ChildOutcome Run(const Scene &s, int killAtCall)
{
    ChildOptions options;
    options.trace = killAtCall >= 0;
    options.killAtCall = killAtCall;
    options.stopAfterFirstLine = s.stopAfterFirstLine;
    return RunChild(s.program, s.args, options);
}

// A call as the same call in another run: its name and the folder of the file it changes
// (a temporary file may have a name of chance).
QString CallKind(const QString &call)
{
    return call.left(call.lastIndexOf(QLatin1Char('/')));
}

bool IsNew(const Scene &s, const QByteArray &bytes)
{
    return s.pdf ? WithoutDate(bytes) == WithoutDate(s.newBytes) : bytes == s.newBytes;
}

// The file as the program's own reader takes it.
QByteArray ReadAsTheProgramDoes(const Scene &s)
{
    QString reason;
    const std::optional<QByteArray> bytes = s.settings ? platform::ReadProfileFile(s.target, &reason)
                                                       : platform::ReadSavedFile(s.target, 1 << 20, &reason);
    return bytes.value_or(QByteArray("unreadable: ") + reason.toUtf8());
}

// What is wrong with the folder after a run killed at a call; empty when nothing is.
QString Fault(const Scene &s)
{
    struct stat target {};
    if (::stat(QFile::encodeName(s.target).constData(), &target) != 0)
        return QStringLiteral("the file is gone");
    const QByteArray raw = ReadBytes(s.target);
    bool oldBytesBeside = false;
    QStringList beside = LeftOver(s);
    if (s.settings && Entries(s.folder).contains(kLockName))
        beside << kLockName;
    for (const QString &name : beside) {
        const QString path = s.folder + QLatin1Char('/') + name;
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return name + QStringLiteral(" is left and no regular file");
        // Root reads every file anyway: a file of root's own is no more readable than any.
        const bool sameOwner = st.st_uid == target.st_uid || st.st_uid == 0 || (st.st_mode & 0700) == 0;
        if ((st.st_mode & ~target.st_mode & 0077) != 0 || !sameOwner)
            return QStringLiteral("%1 is left, mode %2, owner %3: more readable than the file (mode %4, owner %5)")
                .arg(name)
                .arg(st.st_mode & 07777, 0, 8)
                .arg(st.st_uid)
                .arg(target.st_mode & 07777, 0, 8)
                .arg(target.st_uid);
        oldBytesBeside = oldBytesBeside || ReadBytes(path) == s.oldBytes;
    }
    if (raw != s.oldBytes && !IsNew(s, raw) && !oldBytesBeside)
        return QStringLiteral("the file holds %1 bytes, neither old nor new, and no copy of the old bytes is beside it")
            .arg(raw.size());
    const QByteArray read = ReadAsTheProgramDoes(s);
    if (read != s.oldBytes && !IsNew(s, read))
        return QStringLiteral("the program reads %1 bytes, neither old nor new: %2")
            .arg(read.size())
            .arg(QString::fromLatin1(read.left(80).toPercentEncoding()));
    return QString();
}

} // namespace

class TestCrashMatrix : public QObject {
    Q_OBJECT
private slots:
    void everyKillLeavesOldOrNew_data();
    void everyKillLeavesOldOrNew();
};

// Each row: the writer, and the file it writes: a plain file, one with a second hard link
// (then it is rewritten where it stands), one with an extended attribute in a folder with a
// default ACL, or another user's. A settings change makes the file shorter, and the sheet
// replaces a larger file, so that a rewrite in place must also cut it short.
void TestCrashMatrix::everyKillLeavesOldOrNew_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("file");
    QTest::newRow("map save by rename (the editor's WriteMapFile)") << "save"
                                                                    << "plain";
    QTest::newRow("map save in place (the editor's WriteMapFile), second hard link") << "save"
                                                                                     << "linked";
    QTest::newRow("map save by rename, an extended attribute, a folder's default ACL") << "save"
                                                                                       << "attributes";
    if (::geteuid() == 0)
        QTest::newRow("map save by rename, another user's map saved by root") << "save"
                                                                              << "other owner";
    QTest::newRow("import -o over a map with a tail") << "import"
                                                      << "plain";
    QTest::newRow("settings by rename: ports --set") << "ports"
                                                     << "plain";
    QTest::newRow("settings in place: ports --set, second hard link") << "ports"
                                                                      << "linked";
    QTest::newRow("sheet -o over an old file") << "sheet"
                                               << "plain";
    QTest::newRow("sheet -o in place: 200 kB, second hard link") << "sheet"
                                                                 << "linked";
    QTest::newRow("cvdmx-sim --save over a map with a tail") << "sim"
                                                             << "plain";
}

void TestCrashMatrix::everyKillLeavesOldOrNew()
{
    QFETCH(QString, writer);
    QFETCH(QString, file);
    TempHome home;
    Scene scene = MakeScene(writer, file, home);
    const HangGuard guard(600);

    // The first run may set up what later runs find ready (Qt's runtime folder, say): the
    // calls counted are those of a run like every later one.
    QVERIFY(Stage(scene));
    QCOMPARE(Run(scene, -1).status, 0);
    QVERIFY(Stage(scene));
    const ChildOutcome complete = Run(scene, 0);
    QCOMPARE(QString::fromLocal8Bit(complete.err), QString());
    QCOMPARE(complete.status, 0);
    if (scene.pdf)
        scene.newBytes = ReadBytes(scene.target);
    QVERIFY(IsNew(scene, ReadBytes(scene.target)));
    const QStringList calls = complete.fileCalls;
    QVERIFY(!calls.isEmpty());
    qInfo("%lld calls change a file: %s", qlonglong(calls.size()), qPrintable(calls.join(QStringLiteral("; "))));

    QStringList faults;
    for (int n = 1; n <= calls.size(); ++n) {
        QVERIFY(Stage(scene));
        const ChildOutcome killed = Run(scene, n);
        QVERIFY2(killed.signal == SIGKILL && CallKind(killed.killedAt) == CallKind(calls[n - 1]),
                 qPrintable(QStringLiteral("call %1 (%2) was not reached the same way: %3")
                                .arg(n)
                                .arg(calls[n - 1], killed.killedAt)));
        const QString fault = Fault(scene);
        const ChildOutcome next = Run(scene, -1);
        QString after;
        if (next.status != 0)
            after = QStringLiteral("the next run failed: ") + QString::fromLocal8Bit(next.err);
        else if (!IsNew(scene, ReadBytes(scene.target)))
            after = QStringLiteral("the next run did not leave the new bytes");
        else if (!LeftOver(scene).isEmpty())
            after = QStringLiteral("the next run left ") + LeftOver(scene).join(QStringLiteral(", "));
        for (const QString &f : {fault, after}) {
            if (!f.isEmpty())
                faults
                    << QStringLiteral("killed at call %1 of %2, %3: %4").arg(n).arg(calls.size()).arg(calls[n - 1], f);
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], kSaveMapWord) == 0)
        return SaveMapAsTheEditorDoes(QFile::decodeName(argv[2]));
    // In a sanitized build LeakSanitizer would stop the world with ptrace at exit, which a
    // traced child cannot: leaks are looked for in the rest of the suite.
    qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":detect_leaks=0");
    QCoreApplication app(argc, argv);
    TestCrashMatrix test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_crashmatrix.moc"
