// Download figures: a full download from the communications window to the controller
// simulator on a pseudo-terminal.
#include "Figures.h"

#include "comm/frmCVDMXMapComm.h"
#include "document/modCVDMXMap.h"
#include "editor/DocumentGlobals.h"
#include "editor/frmCVDMXMap.h"
#include "toolkit/MsgBox.h"

#include "kit/SimProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <sys/resource.h>

using namespace modCVDMXMap;

namespace {

// 8 frames of 136 and "[03]" out, 8 replies of 4 and one of 18 back: 1142 characters
// of 10 bits at 38400 baud.
constexpr double kWireMs = 1142 * 10 * 1000.0 / 38400;

double CpuMs()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Lets the launcher take in the lines the simulator printed, so that they never fill the pipe
// and stop the simulator.
void DrainSimulatorOutput()
{
    QCoreApplication::processEvents();
}

// Runs one download; returns false unless it completed.
bool Download(frmCVDMXMapComm &comm, QString *outcome)
{
    toolkit::SetMsgBoxResponder([outcome](const QString &text, int, const QString &) {
        *outcome = text;
        return int(toolkit::vbOK);
    });
    comm.cmdDownload_Click();
    toolkit::SetMsgBoxResponder({});
    return *outcome == QStringLiteral("Download Complete");
}

} // namespace

void MeasureDownload(const BenchOptions &options, std::vector<Figure> &figures)
{
    if (options.downloadReps == 0)
        return;
    if (options.simPath.isEmpty()) {
        std::fprintf(stderr, "cvdmxmap-bench: no simulator found; download figures skipped\n");
        return;
    }
    // The test kit's launcher starts the simulator named by CVDMX_SIM; "--port COM1"
    // wires it to COM1 in the settings file for the length of a measurement.
    qputenv("CVDMX_SIM", QFile::encodeName(options.simPath));
    const QStringList toCom1{QStringLiteral("--port"), QStringLiteral("COM1")};
    // The main window stands open behind the communications window, as when a user downloads.
    frmCVDMXMap editor;
    editor.ShowAndActivate();
    QCoreApplication::processEvents();
    for (int i = 0; i < kChannels; ++i)
        iDmxMap[i] = int16_t(i % kOutputs);
    iComPort = 0;
    frmCVDMXMapComm comm(CommWindowDocument());
    comm.Form_Load();

    Figure wall = AbsoluteFigure(QStringLiteral("Download wall time (simulator answers at once)"), QStringLiteral("ms"),
                                 kWireMs * 0.05, QStringLiteral("<= 5% of 297 ms"));
    Figure ratio = AbsoluteFigure(QStringLiteral("Download overhead over the wire time"), QStringLiteral("%"), 5,
                                  QStringLiteral("<= 5%"));
    Figure used = AbsoluteFigure(QStringLiteral("Download processor time (at once)"), QStringLiteral("ms"),
                                 kWireMs * 0.05, QStringLiteral("<= 5% of 297 ms"));
    {
        SimProcess sim(toCom1);
        for (int r = 0; sim.Started() && r < options.downloadReps; ++r) {
            DrainSimulatorOutput();
            QString outcome;
            bool complete = false;
            const double cpuBefore = CpuMs();
            const double ms = TimeMs([&] { complete = Download(comm, &outcome); });
            const double cpu = CpuMs() - cpuBefore;
            if (!complete) {
                std::fprintf(stderr, "cvdmxmap-bench: download ended with \"%s\"\n", qPrintable(outcome));
                break;
            }
            wall.samples.push_back(ms);
            used.samples.push_back(cpu);
            ratio.samples.push_back(100 * ms / kWireMs);
        }
    }
    figures.push_back(wall);
    figures.push_back(ratio);
    figures.push_back(used);

    Figure cpu = AbsoluteFigure(QStringLiteral("Processor share, replies 200 ms late"), QStringLiteral("%"), 2,
                                QStringLiteral("<= 2%"));
    {
        SimProcess sim(toCom1
                       + QStringList{QStringLiteral("--late"), QStringLiteral("01"), QStringLiteral("--late"),
                                     QStringLiteral("03"), QStringLiteral("--delay"), QStringLiteral("200")});
        for (int r = 0; sim.Started() && r < std::max(1, options.downloadReps / 2); ++r) {
            DrainSimulatorOutput();
            QString outcome;
            bool complete = false;
            const double cpuBefore = CpuMs();
            const double ms = TimeMs([&] { complete = Download(comm, &outcome); });
            const double used = CpuMs() - cpuBefore;
            if (!complete) {
                std::fprintf(stderr, "cvdmxmap-bench: late download ended with \"%s\"\n", qPrintable(outcome));
                break;
            }
            cpu.samples.push_back(100 * used / ms);
        }
    }
    figures.push_back(cpu);
    Figure rss = AbsoluteFigure(QStringLiteral("Peak resident memory after downloads"), QStringLiteral("MB"), 60,
                                QStringLiteral("<= 60 MB"));
    rss.samples.push_back(PeakResidentMB());
    figures.push_back(rss);
}
