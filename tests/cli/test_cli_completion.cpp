// The bash completion of cvdmxmap-cli, run by bash as it runs on a Tab: commands, each
// command's options, ports, map files in any case, papers; and the commands and options it
// offers against those the tool itself names in its help.
#include "kit/CliRun.h"
#include "kit/Files.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kScript = QStringLiteral(CVDMX_SOURCE_DIR "/desktop/completion/cvdmxmap-cli");

// Sources the script in a fresh bash, sets the words as bash does for a Tab in word
// cword, calls the completion function and gives its answers, sorted (the order of a
// folder's names is the file system's; readline sorts what it shows).
QStringList Complete(const QStringList &words, int cword, const QString &folder)
{
    QProcess bash;
    bash.setWorkingDirectory(folder);
    QStringList args{QStringLiteral("-c"),
                     QStringLiteral("source \"$0\" || exit 9; COMP_WORDS=(\"${@:2}\"); COMP_CWORD=$1; _cvdmxmap_cli; "
                                    "printf '%s\\n' \"${COMPREPLY[@]}\""),
                     kScript, QString::number(cword)};
    bash.start(QStringLiteral("bash"), args + words);
    if (!bash.waitForFinished(30000) || bash.exitStatus() != QProcess::NormalExit || bash.exitCode() != 0)
        return {QStringLiteral("bash failed: ") + QString::fromLocal8Bit(bash.readAllStandardError())};
    QStringList answers = QString::fromLocal8Bit(bash.readAllStandardOutput()).split(QLatin1Char('\n'));
    answers.removeAll(QString());
    answers.sort();
    return answers;
}

const QStringList kCommands{"check", "checksum", "diff",  "download", "help",   "identify", "import",
                            "ports", "revision", "sheet", "show",     "verify", "--help"};

} // namespace

class TestCliCompletion : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void completes_data();
    void completes();
    void registeredForTheTool();
    void offersWhatTheToolNames();

private:
    QTemporaryDir folder_;
};

// A folder with map files in upper, lower and mixed case, one named like an option, other
// files, a folder with blanks in its name and two device-like nodes.
void TestCliCompletion::initTestCase()
{
    for (const char *name :
         {"Stage.CVX", "lower.cvx", "Mixed.CvX", "-x.CVX", "notes.txt", "Stage.CVX.bak", "ttyUSB7", "ttyACM2"})
        QVERIFY(WriteBytes(folder_.filePath(QString::fromLatin1(name)), QByteArray()));
    QVERIFY(QDir(folder_.path()).mkdir(QStringLiteral("QRT Corvanta DMX Map")));
}

// Each row: the words on the line, the word the Tab is in, what bash offers there.
void TestCliCompletion::completes_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("cword");
    QTest::addColumn<QStringList>("answers");
    const QStringList ports{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
    const QStringList maps{"-x.CVX", "Mixed.CvX", "QRT Corvanta DMX Map", "Stage.CVX", "lower.cvx"};
    QTest::newRow("every command") << QStringList{"cvdmxmap-cli", ""} << 1 << kCommands;
    QTest::newRow("a command") << QStringList{"cvdmxmap-cli", "d"} << 1 << QStringList{"diff", "download"};
    QTest::newRow("a command after help")
        << QStringList{"cvdmxmap-cli", "help", "ch"} << 2 << QStringList{"check", "checksum"};
    QTest::newRow("show's options") << QStringList{"cvdmxmap-cli", "show", "Stage.CVX", "--"} << 3
                                    << QStringList{"--by-output", "--csv", "--help"};
    QTest::newRow("sheet's options") << QStringList{"cvdmxmap-cli", "sheet", "-"} << 2
                                     << QStringList{"--help", "--output", "--paper", "-o"};
    QTest::newRow("checksum's options") << QStringList{"cvdmxmap-cli", "checksum", "-"} << 2 << QStringList{"--help"};
    QTest::newRow("ports after --port") << QStringList{"cvdmxmap-cli", "download", "Stage.CVX", "--port", "C"} << 4
                                        << ports;
    QTest::newRow("ports after --port=") << QStringList{"cvdmxmap-cli", "verify", "--port", "=", "COM"} << 4 << ports;
    QTest::newRow("device paths after --port") << QStringList{"cvdmxmap-cli", "revision", "--port", "%folder/tty"} << 3
                                               << QStringList{"%folder/ttyACM2", "%folder/ttyUSB7"};
    QTest::newRow("map files in any case, and folders") << QStringList{"cvdmxmap-cli", "show", ""} << 2 << maps;
    QTest::newRow("a second map file") << QStringList{"cvdmxmap-cli", "diff", "Stage.CVX", "l"} << 3
                                       << QStringList{"lower.cvx"};
    QTest::newRow("map files in a folder")
        << QStringList{"cvdmxmap-cli", "download", "%folder/S"} << 2 << QStringList{"%folder/Stage.CVX"};
    QTest::newRow("any file to import") << QStringList{"cvdmxmap-cli", "import", "n"} << 2 << QStringList{"notes.txt"};
    QTest::newRow("any file after -o") << QStringList{"cvdmxmap-cli", "sheet", "Stage.CVX", "-o", "Stage"} << 4
                                       << QStringList{"Stage.CVX", "Stage.CVX.bak"};
    QTest::newRow("papers") << QStringList{"cvdmxmap-cli", "sheet", "Stage.CVX", "--paper", ""} << 4
                            << QStringList{"a4", "letter"};
    QTest::newRow("--set takes COMn=") << QStringList{"cvdmxmap-cli", "ports", "--set", "COM"} << 3
                                       << QStringList{
                                              "COM1=", "COM2=", "COM3=", "COM4=", "COM5=", "COM6=", "COM7=", "COM8="};
    QTest::newRow("--unset takes COMn") << QStringList{"cvdmxmap-cli", "ports", "--unset", ""} << 3 << ports;
    QTest::newRow("identify's options") << QStringList{"cvdmxmap-cli", "identify", "-"} << 2
                                        << QStringList{"--csv", "--help", "--maps", "--port"};
    QTest::newRow("folders after --maps")
        << QStringList{"cvdmxmap-cli", "identify", "--maps", ""} << 3 << QStringList{"QRT Corvanta DMX Map"};
    QTest::newRow("after --, files named like options")
        << QStringList{"cvdmxmap-cli", "checksum", "--", "-"} << 3 << QStringList{"-x.CVX"};
    QTest::newRow("after --, no option and no port")
        << QStringList{"cvdmxmap-cli", "diff", "--", "--port", ""} << 4 << maps;
    QTest::newRow("after -- of import, any file")
        << QStringList{"cvdmxmap-cli", "import", "-o", "Stage.CVX", "--", "n"} << 5 << QStringList{"notes.txt"};
    QTest::newRow("no operand for revision") << QStringList{"cvdmxmap-cli", "revision", ""} << 2 << QStringList();
    QTest::newRow("an unknown command") << QStringList{"cvdmxmap-cli", "frob", ""} << 2 << QStringList();
}

void TestCliCompletion::completes()
{
    QFETCH(QStringList, words);
    QFETCH(int, cword);
    QFETCH(QStringList, answers);
    for (QString &word : words)
        word.replace(QLatin1String("%folder"), folder_.path());
    for (QString &answer : answers)
        answer.replace(QLatin1String("%folder"), folder_.path());
    answers.sort();
    QCOMPARE(Complete(words, cword, folder_.path()), answers);
}

void TestCliCompletion::registeredForTheTool()
{
    QProcess bash;
    bash.start(QStringLiteral("bash"),
               {QStringLiteral("-c"), QStringLiteral("source \"$0\" && complete -p cvdmxmap-cli"), kScript});
    QVERIFY(bash.waitForFinished(30000));
    QCOMPARE(bash.exitCode(), 0);
    QCOMPARE(bash.readAllStandardOutput(), QByteArray("complete -F _cvdmxmap_cli cvdmxmap-cli\n"));
    QCOMPARE(bash.readAllStandardError(), QByteArray());
}

// Every command of the tool's help is completed, and so is every option in its usage line.
void TestCliCompletion::offersWhatTheToolNames()
{
    const CliRun help = RunCli({"--help"});
    QCOMPARE(help.status, 0);
    QStringList commands;
    bool listing = false;
    for (const QString &line : QString::fromLocal8Bit(help.out).split(QLatin1Char('\n'))) {
        if (line == QLatin1String("Commands:"))
            listing = true;
        else if (listing && line.isEmpty())
            break;
        else if (listing && line.startsWith(QLatin1String("  ")) && line.at(2) != QLatin1Char(' '))
            commands << line.mid(2).section(QLatin1Char(' '), 0, 0);
    }
    QVERIFY(commands.size() >= 10);
    const QStringList completed = Complete({"cvdmxmap-cli", ""}, 1, folder_.path());
    for (const QString &command : commands) {
        QVERIFY2(completed.contains(command), qPrintable(command));
        const CliRun usage = RunCli({command, "--help"});
        QCOMPARE(usage.status, 0);
        const QString usageLine = QString::fromLocal8Bit(usage.out).section(QLatin1Char('\n'), 0, 0);
        const QStringList options = Complete({"cvdmxmap-cli", command, "-"}, 2, folder_.path());
        const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*)"));
        for (auto m = option.globalMatch(usageLine); m.hasNext();) {
            const QString name = m.next().captured(1);
            QVERIFY2(options.contains(name), qPrintable(command + QLatin1Char(' ') + name));
        }
    }
}

QTEST_GUILESS_MAIN(TestCliCompletion)
#include "test_cli_completion.moc"
