#pragma once
#include "platform/Clock.h"
#include "platform/Line.h"

#include <QString>
#include <cstdint>

namespace dmxlink {

// What one exchange gave: every character waiting when the reply came in time, or a fault
// (too late, or the line failed) and no reply.
struct ExchangeResult {
    bool fault = false;
    QString reply;

    bool operator==(const ExchangeResult &other) const { return fault == other.fault && reply == other.reply; }
};

// One command/reply exchange at a time on an open line.
class Exchange {
public:
    static constexpr int32_t kLimitMs = 2000;
    // Reads of the receive buffer before each send, their text thrown away. Each read takes
    // only what has arrived by then, so the reads after the first also take stale characters
    // still arriving (the tail of a late reply); four is the count the program has always used.
    static constexpr int kDrains = 4;

    // The exchange measures its limit on clock, restarted after each send.
    Exchange(platform::Line &line, platform::Clock &clock) : comDev(line), stopwatch_(clock) {}

    // Sends sCmd and waits until iRet characters are waiting or kLimitMs has passed since
    // the send. In time: the reply is every waiting character. Too late: a fault, and the
    // characters that came stay for the next exchange to discard. A line that fails (write
    // error, device gone) ends the exchange at once as a fault.
    ExchangeResult Run(const QString &sCmd, int16_t iRet);

private:
    platform::Line &comDev;
    platform::Clock &stopwatch_;
};

} // namespace dmxlink
