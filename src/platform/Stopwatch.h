#pragma once
#include "platform/Clock.h"

#include <chrono>
#include <cstdint>

namespace platform {

// A monotonic millisecond stopwatch.
class Stopwatch : public Clock {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}

    void Restart() override;
    // Milliseconds since the last restart (or construction).
    int32_t Read() const override;

private:
    std::chrono::steady_clock::time_point start_;
};

} // namespace platform
