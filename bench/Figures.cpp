#include "Figures.h"

#include <QAccessible>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <sys/resource.h>

double Median(const std::vector<double> &samples)
{
    std::vector<double> s = samples;
    std::sort(s.begin(), s.end());
    const size_t n = s.size();
    return n == 0 ? 0 : n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
}

double Min(const std::vector<double> &samples)
{
    return samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
}

double Max(const std::vector<double> &samples)
{
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
}

double Figure::Ratio() const
{
    const double floorMedian = Median(floor);
    return floorMedian > 0 ? Median(samples) / floorMedian : 0;
}

bool Figure::Met() const
{
    if (samples.empty())
        return false;
    if (HasFloor())
        return Median(floor) > 0 && Ratio() <= ratioGoal;
    return Median(samples) <= goal;
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
