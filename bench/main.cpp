// cvdmxmap-bench: measures the editor's speed and memory on this machine.
#include "Figures.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: cvdmxmap-bench [--reps N] [--download-reps N] [--sim PATH] [--json]\n"
    "Measures start-up, presses, refresh, Sequence Values, map file I/O, downloads to the\n"
    "controller simulator and peak memory; prints median, min and max of each figure\n"
    "with its goal. Runs offscreen in a temporary home folder.\n";

void PrintTable(const std::vector<Figure> &figures)
{
    std::printf("%-48s %10s %10s %10s  %-18s %s\n", "Figure", "median", "min", "max", "goal", "met");
    for (const Figure &f : figures) {
        std::printf("%-48s %7.2f %-2s %7.2f %-2s %7.2f %-2s  %-18s %s\n", qPrintable(f.name), f.Median(),
                    qPrintable(f.unit), f.Min(), qPrintable(f.unit), f.Max(), qPrintable(f.unit),
                    qPrintable(f.goalText), f.samples.empty() ? "n/a" : f.Met() ? "yes" : "NO");
    }
}

void PrintJson(const std::vector<Figure> &figures)
{
    QJsonArray rows;
    for (const Figure &f : figures) {
        rows.append(QJsonObject{{"figure", f.name}, {"unit", f.unit}, {"median", f.Median()}, {"min", f.Min()},
                                {"max", f.Max()}, {"samples", int(f.samples.size())}, {"goal", f.goal},
                                {"goal_text", f.goalText}, {"met", f.Met()}});
    }
    std::printf("%s\n", QJsonDocument(rows).toJson().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QApplication app(argc, argv);

    BenchOptions options;
    bool json = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--reps") && i + 1 < args.size()) {
            options.reps = std::max(1, args[++i].toInt());
        } else if (a == QLatin1String("--download-reps") && i + 1 < args.size()) {
            options.downloadReps = std::max(1, args[++i].toInt());
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

    std::vector<Figure> figures;
    MeasureEditor(options, figures);
    MeasureDownload(options, figures);
    if (json)
        PrintJson(figures);
    else
        PrintTable(figures);
    return 0;
}
