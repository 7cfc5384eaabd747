// Start-up as a user meets it: from the launch of the editor's program to the first
// complete paint of its window, against a bare window of the same size launched the same
// way. Each program carries the first-paint probe (startup/FirstPaintProbe.cpp), which
// reports when its window has painted; launches of the two alternate, so that both meet
// the same load on the machine.
#include "Figures.h"

#include "startup/FirstPaintProbe.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <optional>

namespace {

struct Launch {
    double ms = 0;     // launch to first complete paint
    double peakMB = 0; // the process's peak resident memory then
    bool accessible = false;
};

// Starts the program, reads the probe's line and waits for the program to end.
std::optional<Launch> LaunchOnce(const QString &program)
{
    QProcess proc;
    const auto start = std::chrono::steady_clock::now();
    proc.start(program, {});
    QByteArray line;
    while (!line.endsWith('\n') && proc.waitForReadyRead(10000))
        line += proc.readAllStandardOutput();
    proc.closeReadChannel(QProcess::StandardOutput);
    const bool ended = proc.waitForFinished(10000);
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (!ended || proc.exitStatus() != QProcess::NormalExit || proc.exitCode() != 0 || words.size() != 4
        || words[0] != kFirstPaintLine) {
        if (!ended)
            proc.kill();
        std::fprintf(stderr, "cvdmxmap-bench: %s did not report its first paint:\n%s", qPrintable(program),
                     proc.readAllStandardError().constData());
        return std::nullopt;
    }
    const std::chrono::nanoseconds painted(words[1].toLongLong());
    Launch launch;
    launch.ms = std::chrono::duration<double, std::milli>(painted - start.time_since_epoch()).count();
    launch.peakMB = words[2].toDouble() / 1024;
    launch.accessible = words[3] == "1";
    return launch;
}

} // namespace

void MeasureStartup(const BenchOptions &options, std::vector<Figure> &figures)
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString editor = dir + QStringLiteral("/cvdmxmap-bench-editor");
    const QString bare = dir + QStringLiteral("/cvdmxmap-bench-bare");

    Figure startup = RatioFigure(QStringLiteral("Start-up, launch to first complete paint"),
                                 QStringLiteral("a bare window of the same size, launched the same way"), 1.2);
    Figure rss = AbsoluteFigure(QStringLiteral("Peak resident memory after start-up") + Conditions(),
                                QStringLiteral("MB"), 60, QStringLiteral("<= 60 MB"));
    // One launch of each first, unmeasured: the programs and libraries come into the
    // file cache, as for a user's every start but the first after booting.
    bool ok = LaunchOnce(editor) && LaunchOnce(bare);
    int inaccessible = 0;
    for (int r = 0; ok && r < std::max(3, options.reps); ++r) {
        const std::optional<Launch> e = LaunchOnce(editor);
        const std::optional<Launch> b = LaunchOnce(bare);
        ok = e && b;
        if (!ok) {
            startup.samples.clear(); // a failed launch leaves the figure unmet
            break;
        }
        startup.samples.push_back(e->ms);
        startup.floor.push_back(b->ms);
        rss.samples.push_back(e->peakMB);
        inaccessible += e->accessible != QAccessible::isActive();
    }
    if (inaccessible)
        std::fprintf(stderr, "cvdmxmap-bench: in %d launches the editor's accessibility was not as here\n",
                     inaccessible);
    figures.push_back(startup);
    figures.push_back(rss);
}
