#include "kit/StallWatch.h"

#include <algorithm>
#include <chrono>

StallWatch::StallWatch()
{
    thread_ = std::thread([this] {
        using Clock = std::chrono::steady_clock;
        const auto step = std::chrono::milliseconds(10);
        while (!stop_) {
            const Clock::time_point start = Clock::now();
            std::this_thread::sleep_for(step);
            const auto over = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start - step);
            longestMs_ = std::max(longestMs_.load(), int(over.count()));
        }
    });
}

StallWatch::~StallWatch()
{
    stop_ = true;
    thread_.join();
}
