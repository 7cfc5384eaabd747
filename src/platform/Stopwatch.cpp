#include "platform/Stopwatch.h"

namespace platform {

void Stopwatch::Restart()
{
    start_ = std::chrono::steady_clock::now();
}

int32_t Stopwatch::Read() const
{
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return int32_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

} // namespace platform
