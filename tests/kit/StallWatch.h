#pragma once
#include <atomic>
#include <thread>

// Tells whether the machine held this process up while it existed: a thread sleeps in
// 10 ms steps and keeps the longest it overslept. An overloaded or paused machine shows
// as a long oversleep; a time-out seen at the same time says nothing about the line.
class StallWatch {
public:
    StallWatch();
    ~StallWatch();
    StallWatch(const StallWatch &) = delete;
    StallWatch &operator=(const StallWatch &) = delete;

    int LongestMs() const { return longestMs_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> longestMs_{0};
    std::thread thread_;
};

// Skips the test when an unexpected time-out (timedOut) came while the watch saw the
// machine hold the test up for marginMs or more: the time limit could not be judged.
#define CVDMX_SKIP_IF_HELD_UP(watch, timedOut, marginMs)                                           \
    do {                                                                                           \
        if ((timedOut) && (watch).LongestMs() >= (marginMs))                                       \
            QSKIP(qPrintable(QStringLiteral("the machine stalled for %1 ms").arg((watch).LongestMs()))); \
    } while (false)
