#pragma once
#include "platform/Clock.h"
#include "platform/Line.h"

#include <QString>
#include <cstdint>

namespace dmxlink {

// One command/reply exchange at a time on an open line.
class Exchange {
public:
    static constexpr int32_t kLimitMs = 2000;

    // The exchange measures its limit on clock, restarted after each send.
    Exchange(platform::Line &line, platform::Clock &clock) : comDev(line), stopwatch_(clock) {}

    // Sends sCmd and waits until iRet characters are waiting or kLimitMs has passed
    // since the send. In time: every waiting character goes to sReply. Too late:
    // bCommFault is set and sReply keeps its text. A line that fails (write error,
    // device gone) ends the exchange at once as a time-out.
    void LSComPrg(const QString &sCmd, const int16_t &iRet);

    QString sReply;
    bool bCommFault = false;

private:
    platform::Line &comDev;
    platform::Clock &stopwatch_;
};

} // namespace dmxlink
