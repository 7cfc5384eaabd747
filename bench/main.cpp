// cvdmxmap-bench: measures the editor's speed and memory on this machine.
#include "Figures.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char kUsage[]
    = "Usage: cvdmxmap-bench [--reps N] [--download-reps N] [--sim PATH] [--accessibility] [--json]\n"
      "Measures start-up, presses, refresh, Sequence Values, map file I/O, downloads to the\n"
      "controller simulator and peak memory; prints median, min and max of each figure\n"
      "with its goal. Start-up and the click paths are judged by their ratio to a floor\n"
      "measured in the same run, alternating with them: start-up (launches of the editor's\n"
      "program, N of them) against a bare window of the same size launched the same way, a\n"
      "click path (and the window's own full repaint) against a full repaint of that bare\n"
      "window, nothing changed: floors that do not change with the editor's design.\n"
      "Runs in a temporary home folder, offscreen on a 1920 x 1080 screen unless\n"
      "QT_QPA_PLATFORM says otherwise; the editor's figures then name the platform and\n"
      "whether accessibility was on.\n"
      "--download-reps 0 leaves the downloads out. --accessibility waits up to 10 s for an\n"
      "assistive-technology bus to switch Qt's accessibility on (on Linux: the AT-SPI bus and\n"
      "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1) and fails with status 3 if it does not.\n";

// Lets Qt reach the accessibility bus; true once accessibility is on.
bool WaitForAccessibility()
{
    QElapsedTimer waited;
    waited.start();
    while (!QAccessible::isActive() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return QAccessible::isActive();
}

void PrintTable(const std::vector<Figure> &figures)
{
    int width = 48;
    for (const Figure &f : figures)
        width = std::max(width, int(f.name.size()));
    std::printf("%-*s %10s %10s %10s %10s %6s  %-16s %s\n", width, "Figure", "median", "min", "max", "floor", "ratio",
                "goal", "met");
    for (const Figure &f : figures) {
        std::printf("%-*s %7.2f %-2s %7.2f %-2s %7.2f %-2s", width, qPrintable(f.name), Median(f.samples),
                    qPrintable(f.unit), Min(f.samples), qPrintable(f.unit), Max(f.samples), qPrintable(f.unit));
        if (f.HasFloor())
            std::printf(" %7.2f %-2s %6.2f", Median(f.floor), qPrintable(f.unit), f.Ratio());
        else
            std::printf(" %10s %6s", "", "");
        std::printf("  %-16s %s\n", qPrintable(f.goalText), f.samples.empty() ? "n/a" : f.Met() ? "yes" : "NO");
    }
}

// Each figure: the absolute numbers, the goal and whether it is met. A figure judged
// against a floor has no absolute goal (null) but what its floor measures, the floor's
// median, minimum and maximum, the ratio of the medians and the ratio goal; the others
// have null there.
void PrintJson(const std::vector<Figure> &figures)
{
    QJsonArray rows;
    for (const Figure &f : figures) {
        const auto relative = [&f](const QJsonValue &value) { return f.HasFloor() ? value : QJsonValue(); };
        rows.append(QJsonObject{{"figure", f.name},
                                {"unit", f.unit},
                                {"median", Median(f.samples)},
                                {"min", Min(f.samples)},
                                {"max", Max(f.samples)},
                                {"samples", int(f.samples.size())},
                                {"goal", f.HasFloor() ? QJsonValue() : QJsonValue(f.goal)},
                                {"goal_text", f.goalText},
                                {"floor_name", relative(f.floorName)},
                                {"floor", relative(Median(f.floor))},
                                {"floor_min", relative(Min(f.floor))},
                                {"floor_max", relative(Max(f.floor))},
                                {"ratio", relative(f.Ratio())},
                                {"ratio_goal", relative(f.ratioGoal)},
                                {"met", f.Met()}});
    }
    std::printf("%s\n", QJsonDocument(rows).toJson().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    // Offscreen on a 1920 x 1080 screen, as the tests' screen: on the platform's own
    // 800 x 800 the window would not fit and would show its grid in a scroll area.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QString screen = home.filePath(QStringLiteral("screen.json"));
        QFile config(screen);
        if (config.open(QIODevice::WriteOnly))
            config.write(R"({ "windowFrameMargins": true, "screens": [ { "name": "screen", "x": 0, "y": 0,
                "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    }
    QApplication app(argc, argv);

    BenchOptions options;
    bool json = false;
    bool accessibility = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--reps") && i + 1 < args.size()) {
            options.reps = std::max(1, args[++i].toInt());
        } else if (a == QLatin1String("--download-reps") && i + 1 < args.size()) {
            options.downloadReps = std::max(0, args[++i].toInt());
        } else if (a == QLatin1String("--accessibility")) {
            accessibility = true;
        } else if (a == QLatin1String("--sim") && i + 1 < args.size()) {
            options.simPath = args[++i];
        } else {
            std::fputs(kUsage, a == QLatin1String("--help") ? stdout : stderr);
            return a == QLatin1String("--help") ? 0 : 2;
        }
    }
    if (options.simPath.isEmpty()) {
        const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/cvdmx-sim");
        const QString sibling = QCoreApplication::applicationDirPath() + QStringLiteral("/cvdmx-sim");
        options.simPath = QFileInfo::exists(beside) ? beside : QFileInfo::exists(sibling) ? sibling : QString();
    }

    if (accessibility && !WaitForAccessibility()) {
        std::fprintf(stderr, "cvdmxmap-bench: accessibility did not come on (platform %s)\n",
                     qPrintable(QGuiApplication::platformName()));
        return 3;
    }

    // The downloads are measured before the click paths, and listed after them: the full
    // repaints that are the click paths' floor raise this process's peak memory (Qt's region
    // bookkeeping for 1024 cells under the open output chooser), which the memory figure
    // after the downloads is not about.
    std::vector<Figure> figures;
    std::vector<Figure> downloads;
    MeasureStartup(options, figures);
    MeasureDownload(options, downloads);
    MeasureEditor(options, figures);
    figures.insert(figures.end(), downloads.begin(), downloads.end());
    if (json)
        PrintJson(figures);
    else
        PrintTable(figures);
    return 0;
}
