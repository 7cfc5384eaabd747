#include "Figures.h"

#include <algorithm>
#include <chrono>
#include <sys/resource.h>

double Figure::Median() const
{
    std::vector<double> s = samples;
    std::sort(s.begin(), s.end());
    const size_t n = s.size();
    return n == 0 ? 0 : n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
}

double Figure::Min() const
{
    return samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
}

double Figure::Max() const
{
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
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
