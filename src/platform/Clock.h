#pragma once
#include <cstdint>

namespace platform {

// The exchange's millisecond stopwatch: restarted after each send, read while waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Restart() = 0;
    virtual int32_t Read() const = 0;
};

} // namespace platform
