#pragma once
#include <chrono>
#include <cstdint>

namespace platform {

// A monotonic millisecond stopwatch.
class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}

    void Restart();
    // Milliseconds since the last restart (or construction).
    int32_t Read() const;

private:
    std::chrono::steady_clock::time_point start_;
};

} // namespace platform
