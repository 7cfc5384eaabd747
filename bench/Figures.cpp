#include "Figures.h"

#include <QAccessible>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <sys/resource.h>

namespace {

double MedianOf(std::vector<double> s)
{
    std::sort(s.begin(), s.end());
    const size_t n = s.size();
    return n == 0 ? 0 : n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
}

double MinOf(const std::vector<double> &s)
{
    return s.empty() ? 0 : *std::min_element(s.begin(), s.end());
}

double MaxOf(const std::vector<double> &s)
{
    return s.empty() ? 0 : *std::max_element(s.begin(), s.end());
}

} // namespace

double Figure::Median() const
{
    return MedianOf(samples);
}

double Figure::Min() const
{
    return MinOf(samples);
}

double Figure::Max() const
{
    return MaxOf(samples);
}

double Figure::FloorMedian() const
{
    return MedianOf(floor);
}

double Figure::FloorMin() const
{
    return MinOf(floor);
}

double Figure::FloorMax() const
{
    return MaxOf(floor);
}

double Figure::Ratio() const
{
    return FloorMedian() > 0 ? Median() / FloorMedian() : 0;
}

bool Figure::Met() const
{
    if (samples.empty())
        return false;
    if (HasFloor())
        return !floor.empty() && FloorMedian() > 0 && Ratio() <= ratioGoal;
    return Median() <= goal;
}

QString Conditions()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") && !QAccessible::isActive())
        return QString();
    return QStringLiteral(" (%1, accessibility %2)").arg(platform, QAccessible::isActive() ? "on" : "off");
}

Figure AbsoluteFigure(const QString &name, const QString &unit, double goal, const QString &goalText)
{
    Figure f;
    f.name = name;
    f.unit = unit;
    f.goal = goal;
    f.goalText = goalText;
    return f;
}

Figure RatioFigure(const QString &name, const QString &floorName, double ratioGoal)
{
    Figure f;
    f.name = name + Conditions();
    f.unit = QStringLiteral("ms");
    f.goalText = QStringLiteral("<= %1 x floor").arg(ratioGoal);
    f.floorName = floorName;
    f.ratioGoal = ratioGoal;
    return f;
}

double TimeMs(const std::function<void()> &fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double PeakResidentMB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}
