#pragma once
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"

#include <QString>
#include <cstdint>

namespace dmxlink {

// One command/reply exchange at a time on an open port.
class Exchange {
public:
    static constexpr int32_t kLimitMs = 2000;

    explicit Exchange(platform::SerialPort &port) : comDev(port) {}

    // Sends sCmd and waits until iRet characters are waiting or kLimitMs has passed
    // since the send. In time: every waiting character goes to sReply. Too late:
    // bCommFault is set and sReply keeps its text. A line that fails (write error,
    // device gone) ends the exchange at once as a time-out.
    void LSComPrg(const QString &sCmd, const int16_t &iRet);

    QString sReply;
    bool bCommFault = false;

private:
    platform::SerialPort &comDev;
    platform::Stopwatch stopwatch_;
};

} // namespace dmxlink
