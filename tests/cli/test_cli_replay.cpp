// Recorded invocations of cvdmxmap-cli and cvdmx-sim run again: standard output, standard
// error and exit status compared byte for byte with what tests/cli/replay/*.txt recorded.
//
// Each run has a home of its own, whose settings file points COM1 .. COM8 at paths that do
// not exist, and starts in the folder of the input files this test makes. In the records
// {in} stands for that folder, {home} for the run's home, and {machine} for the serial
// devices of the machine, which ports lists last.
//
// A record in those files:
//   $ cvdmxmap-cli show -- --help   the program and its words, blank-separated; '' is an
//                                   empty word, \x20 a blank, \\ a backslash
//   < text                          a line of standard input
//   > text                          a line of standard output
//   >~ text                         its last bytes, when they end without a line end
//   >= cvdmxmap-cli show --help     all of it as recorded for that earlier record
//   ! text, !~ text, != ...         the same for standard error
//   ? 2                             the exit status, which ends the record
// Control characters in a text are written \xNN. Lines starting with # are comments.
// A record whose outcome was changed on purpose after it was first recorded follows a
// comment "# Changed: " that says what was wrong before.
//
// CVDMX_REPLAY_RECORD=1 writes the outcome of each record that has none yet (a "$" line
// with its "<" lines only) into its file, as the programs built now give it; the lines of
// records that have one are kept as they are.
#include "document/MapCsv.h"
#include "document/MapFile.h"
#include "kit/CliRun.h"
#include "kit/Files.h"
#include "kit/Maps.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <variant>

using namespace modCVDMXMap;

namespace {

const QString kReplayFolder = QStringLiteral(CVDMX_SOURCE_DIR "/tests/cli/replay");
const QByteArray kMachine = "\nSerial devices on this machine";
// Outputs of this many lines or more are written once and referred to afterwards.
constexpr int kSharedLines = 3;

struct Outcome {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

struct Record {
    QString file;
    int line = 0;            // of its "$" line, from 1
    QByteArray command;      // the "$" line without "$ "
    QStringList words;       // the program's words, unescaped
    QString program;         // "cvdmxmap-cli" or "cvdmx-sim"
    QByteArray input;        // standard input
    QList<QByteArray> lines; // as in its file: "$", "<" and, once recorded, its outcome
    std::optional<Outcome> expected;
};

// A file of records: its lines, each either a record's or one kept as it is.
struct ReplayFile {
    QString path;
    QList<std::variant<QByteArray, int>> lines; // a line, or the index of a record
};

// Text for a line of a record: control characters as \xNN, a backslash doubled.
QByteArray Escape(const QByteArray &text)
{
    QByteArray out;
    for (const char c : text) {
        const auto b = uchar(c);
        if (c == '\\')
            out += "\\\\";
        else if (b < 0x20 || b == 0x7F)
            out += "\\x" + QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        else
            out += c;
    }
    return out;
}

// The text or word a line of a record stands for; nothing for a bad escape.
std::optional<QByteArray> Unescape(const QByteArray &text)
{
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
        } else if (text.mid(i + 1, 1) == "\\") {
            out += '\\';
            ++i;
        } else if (text.mid(i + 1, 1) == "x" && i + 3 < text.size()) {
            bool ok = false;
            out += char(text.mid(i + 2, 2).toInt(&ok, 16));
            if (!ok)
                return std::nullopt;
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// The lines that write stream after prefix ('>' or '!'): by reference to an earlier
// record with the same stream when it is long, else line by line.
QList<QByteArray> StreamLines(char prefix, const QByteArray &stream, const std::map<QByteArray, QByteArray> &earlier)
{
    if (stream.count('\n') >= kSharedLines) {
        for (const auto &[command, bytes] : earlier) {
            if (bytes == stream)
                return {QByteArray(1, prefix) + "= " + command};
        }
    }
    QList<QByteArray> lines;
    QList<QByteArray> pieces = stream.split('\n');
    const QByteArray last = pieces.takeLast();
    for (const QByteArray &piece : pieces)
        lines.append(piece.isEmpty() ? QByteArray(1, prefix) : QByteArray(1, prefix) + ' ' + Escape(piece));
    if (!last.isEmpty())
        lines.append(QByteArray(1, prefix) + "~ " + Escape(last));
    return lines;
}

// Where two outputs part, for a failure's message.
QByteArray Difference(const QByteArray &got, const QByteArray &want)
{
    const QList<QByteArray> a = got.split('\n');
    const QList<QByteArray> b = want.split('\n');
    int i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return "line " + QByteArray::number(i + 1) + ": got \"" + Escape(a.value(i)) + "\", recorded \""
        + Escape(b.value(i)) + '"';
}

} // namespace

class TestCliReplay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void replays_data();
    void replays();

private:
    bool Load(const QString &path, QString *problem);
    void MakeInputs();
    QString Home(int index) const { return root_.filePath(QStringLiteral("home-%1").arg(index)); }
    QString In() const { return root_.filePath(QStringLiteral("in")); }
    QStringList Resolved(const QStringList &words, int index) const;
    QByteArray Normalized(QByteArray bytes, int index) const;
    void RunAll();
    bool Save(const ReplayFile &file, QString *problem) const;

    QTemporaryDir root_;
    std::vector<Record> records_;
    std::vector<ReplayFile> files_;
    std::vector<Outcome> actual_;
};

bool TestCliReplay::Load(const QString &path, QString *problem)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *problem = path + QStringLiteral(": ") + f.errorString();
        return false;
    }
    ReplayFile file{path, {}};
    // The streams of earlier records that have an outcome, for references.
    std::map<QByteArray, std::pair<QByteArray, QByteArray>> streams;
    QSet<QByteArray> commands;
    QList<QByteArray> lines = f.readAll().split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    Record *record = nullptr;
    auto fail = [&](int n, const QString &why) {
        *problem = QStringLiteral("%1:%2: %3").arg(path).arg(n + 1).arg(why);
        return false;
    };
    for (int n = 0; n < lines.size(); ++n) {
        const QByteArray &line = lines[n];
        if (line.isEmpty() || line.startsWith('#')) {
            file.lines.append(line);
            record = nullptr;
            continue;
        }
        const char kind = line[0];
        if (kind == '$') {
            if (!line.startsWith("$ "))
                return fail(n, QStringLiteral("a command line starts with \"$ \""));
            Record r;
            r.file = QFileInfo(path).fileName();
            r.line = n + 1;
            r.command = line.mid(2);
            if (commands.contains(r.command))
                return fail(n, QStringLiteral("the same command twice in one file"));
            for (const QByteArray &word : r.command.split(' ')) {
                const std::optional<QByteArray> w = word == "''" ? QByteArray() : Unescape(word);
                if (!w)
                    return fail(n, QStringLiteral("a bad escape"));
                r.words.append(QString::fromUtf8(*w));
            }
            r.program = r.words.takeFirst();
            if (r.program != QLatin1String("cvdmxmap-cli") && r.program != QLatin1String("cvdmx-sim"))
                return fail(n, QStringLiteral("no program of this project: ") + r.program);
            r.lines.append(line);
            commands.insert(r.command);
            records_.push_back(r);
            record = &records_.back();
            file.lines.append(int(records_.size() - 1));
            continue;
        }
        if (!record)
            return fail(n, QStringLiteral("a line outside a record"));
        record->lines.append(line);
        QByteArray rest = line.mid(1);
        char modifier = 0;
        if (rest.startsWith('~') || rest.startsWith('=')) {
            modifier = rest[0];
            rest = rest.mid(1);
        }
        if (!rest.isEmpty() && !rest.startsWith(' '))
            return fail(n, QStringLiteral("a blank after the line's mark"));
        const QByteArray raw = rest.mid(1);
        if (kind == '?') {
            bool ok = false;
            const int status = raw.toInt(&ok);
            if (!ok || modifier)
                return fail(n, QStringLiteral("an exit status"));
            if (!record->expected)
                record->expected = Outcome();
            record->expected->status = status;
            streams[record->command] = {record->expected->out, record->expected->err};
            record = nullptr;
            continue;
        }
        if (kind == '<') {
            const std::optional<QByteArray> text = Unescape(raw);
            if (!text || modifier || record->expected)
                return fail(n, QStringLiteral("a line of standard input"));
            record->input += *text + '\n';
            continue;
        }
        if (kind != '>' && kind != '!')
            return fail(n, QStringLiteral("an unknown line"));
        if (!record->expected)
            record->expected = Outcome();
        QByteArray &stream = kind == '>' ? record->expected->out : record->expected->err;
        if (modifier == '=') {
            const auto it = streams.find(raw);
            if (it == streams.end())
                return fail(n, QStringLiteral("a reference to no earlier record"));
            stream += kind == '>' ? it->second.first : it->second.second;
            continue;
        }
        const std::optional<QByteArray> text = Unescape(raw);
        if (!text)
            return fail(n, QStringLiteral("a bad escape"));
        stream += *text + (modifier == '~' ? "" : "\n");
    }
    files_.push_back(file);
    return true;
}

// The files the records name: maps good and bad, files named like options, rows to import
// and folders of maps.
void TestCliReplay::MakeInputs()
{
    QVERIFY(QDir().mkpath(In()));
    const QDir in(In());
    const MapTable known = FewOutputsMap();
    MapTable other = known;
    other[1] = 6;
    other[2] = 0;
    other[kDevAddEntry] = 0;
    MapTable labelled = EmptyMap(2, 3);
    for (int c : {4, 5, 6, 8})
        labelled[c] = 5;
    labelled[0] = 0;
    labelled[19] = 60;
    MapLabels labels;
    labels.title = QStringLiteral("Stage B");
    labels.outputs[0] = QStringLiteral("Cyc 🎭");
    labels.outputs[5] = QStringLiteral("Wash, \"front\"");
    labels.outputs[60] = QStringLiteral("Hidden spot");
    QByteArray damaged = MapToBytes(known) + LabelsBlock(labels);
    damaged[damaged.size() - 1] = char(damaged.back() ^ 1);
    QByteArray address16 = MapToBytes(known);
    address16[2 * kDevAddEntry] = 16;
    const std::map<QString, QByteArray> files{
        {QStringLiteral("known.CVX"), MapToBytes(known)},
        {QStringLiteral("other.CVX"), MapToBytes(other)},
        {QStringLiteral("labelled.CVX"), MapToBytes(labelled) + LabelsBlock(labels)},
        {QStringLiteral("short.CVX"), MapToBytes(known).left(kMapFileSize - 1)},
        {QStringLiteral("address16.CVX"), address16},
        {QStringLiteral("damaged.CVX"), damaged},
        {QStringLiteral("--help"), MapToBytes(DiskMap())},
        {QStringLiteral("-x"), MapToBytes(MapOf([](int i) { return int16_t(i % kOutputs); }, 5, 1))},
        {QStringLiteral("-"), MapToBytes(EmptyMap(15, 15))},
        {QStringLiteral("rows.csv"), MapToCsv(labelled, labels).toUtf8()},
        {QStringLiteral("bad.csv"), "channel,entry,output\n1,0,D:01.1\n2,7,D:01.1\n"},
        {QStringLiteral("plain.txt"), "not a map\n"},
        {QStringLiteral("maps/Stage.CVX"), MapToBytes(known)},
        {QStringLiteral("maps/Labelled.cvx"), MapToBytes(labelled) + LabelsBlock(labels)},
        {QStringLiteral("maps/broken.CVX"), MapToBytes(known).left(100)},
        {QStringLiteral("maps/notes.txt"), "notes\n"},
    };
    QVERIFY(in.mkdir(QStringLiteral("maps")));
    QVERIFY(in.mkdir(QStringLiteral("empty")));
    for (const auto &[name, bytes] : files)
        QVERIFY2(WriteBytes(in.filePath(name), bytes), qPrintable(name));
}

QStringList TestCliReplay::Resolved(const QStringList &words, int index) const
{
    QStringList resolved;
    for (QString word : words)
        resolved.append(word.replace(QLatin1String("{home}"), Home(index)).replace(QLatin1String("{in}"), In()));
    return resolved;
}

// The run's paths as placeholders, and the machine's serial devices left out.
QByteArray TestCliReplay::Normalized(QByteArray bytes, int index) const
{
    bytes.replace(QFile::encodeName(Home(index)), "{home}").replace(QFile::encodeName(In()), "{in}");
    const qsizetype machine = bytes.indexOf(kMachine);
    if (machine >= 0)
        bytes = bytes.left(machine + kMachine.size()) + ": {machine}\n";
    return bytes;
}

// Every record, a few runs at once: each in a home of its own, COM1 .. COM8 on paths that
// do not exist, the C locale's messages. A run is started as soon as the oldest still
// running has ended.
void TestCliReplay::RunAll()
{
    QByteArray settings = "[Ports]\n";
    for (int n = 1; n <= 8; ++n)
        settings += QByteArray("COM") + QByteArray::number(n) + "=/nonexistent/cvdmx-replay/ttyS"
            + QByteArray::number(n - 1) + '\n';
    const size_t atOnce = size_t(std::max(4, 2 * QThread::idealThreadCount()));
    actual_.resize(records_.size());
    std::deque<std::pair<size_t, std::unique_ptr<CliProcess>>> running;
    auto finishOldest = [&] {
        const size_t i = running.front().first;
        const CliRun run = running.front().second->Wait();
        actual_[i] = {run.finished ? run.status : -1, Normalized(run.out, int(i)), Normalized(run.err, int(i))};
        running.pop_front();
    };
    for (size_t i = 0; i < records_.size(); ++i) {
        if (running.size() == atOnce)
            finishOldest();
        const Record &r = records_[i];
        const QString home = Home(int(i));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/QRT Corvanta DMX Map")));
        QVERIFY(WriteBytes(home + QStringLiteral("/QRT Corvanta DMX Map/QRT Corvanta DMX Map.ini"), settings));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.remove(QStringLiteral("LANGUAGE"));
        const QString program
            = QFile::decodeName(qgetenv(r.program == QLatin1String("cvdmx-sim") ? "CVDMX_SIM" : "CVDMX_CLI"));
        running.emplace_back(
            i, std::make_unique<CliProcess>(Resolved(r.words, int(i)), CliLaunch{program, In(), env, {}}));
        running.back().second->Send(r.input);
    }
    while (!running.empty())
        finishOldest();
}

bool TestCliReplay::Save(const ReplayFile &file, QString *problem) const
{
    QByteArray text;
    std::map<QByteArray, QByteArray> outs;
    std::map<QByteArray, QByteArray> errs;
    for (const auto &line : file.lines) {
        if (const QByteArray *kept = std::get_if<QByteArray>(&line)) {
            text += *kept + '\n';
            continue;
        }
        const size_t i = size_t(std::get<int>(line));
        const Record &r = records_[i];
        const Outcome &o = r.expected ? *r.expected : actual_[i];
        QList<QByteArray> lines = r.lines;
        if (!r.expected) {
            lines += StreamLines('>', o.out, outs);
            lines += StreamLines('!', o.err, errs);
            lines.append("? " + QByteArray::number(o.status));
        }
        text += lines.join('\n') + '\n';
        outs[r.command] = o.out;
        errs[r.command] = o.err;
    }
    QFile f(file.path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size()) {
        *problem = file.path + QStringLiteral(": ") + f.errorString();
        return false;
    }
    return true;
}

void TestCliReplay::initTestCase()
{
    QVERIFY(root_.isValid());
    const QStringList names = QDir(kReplayFolder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QVERIFY2(!names.isEmpty(), qPrintable(kReplayFolder));
    for (const QString &name : names) {
        QString problem;
        QVERIFY2(Load(QDir(kReplayFolder).filePath(name), &problem), qPrintable(problem));
    }
    MakeInputs();
    if (QTest::currentTestFailed())
        return;
    RunAll();
    if (QTest::currentTestFailed())
        return;
    if (!qEnvironmentVariableIsSet("CVDMX_REPLAY_RECORD"))
        return;
    for (const ReplayFile &file : files_) {
        QString problem;
        QVERIFY2(Save(file, &problem), qPrintable(problem));
    }
    for (size_t i = 0; i < records_.size(); ++i) {
        if (!records_[i].expected)
            records_[i].expected = actual_[i];
    }
}

void TestCliReplay::replays_data()
{
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < records_.size(); ++i) {
        const Record &r = records_[i];
        QTest::addRow("%s:%d %s", qPrintable(r.file), r.line, r.command.constData()) << int(i);
    }
}

void TestCliReplay::replays()
{
    QFETCH(int, index);
    const Record &r = records_[size_t(index)];
    QVERIFY2(r.expected, "no outcome recorded");
    const Outcome &want = *r.expected;
    const Outcome &got = actual_[size_t(index)];
    QVERIFY2(got.err == want.err, "standard error, " + Difference(got.err, want.err));
    QVERIFY2(got.out == want.out, "standard output, " + Difference(got.out, want.out));
    QCOMPARE(got.status, want.status);
}

QTEST_GUILESS_MAIN(TestCliReplay)
#include "document/Outputs.h"
#include "test_cli_replay.moc"
