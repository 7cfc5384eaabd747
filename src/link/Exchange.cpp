#include "link/Exchange.h"

namespace dmxlink {

void Exchange::LSComPrg(const QString &sCmd, const int16_t &iRet)
{
    bCommFault = false;
    for (int i = 0; i < 4; ++i)
        comDev.Input();
    bool lineOk = comDev.Output(sCmd.toLatin1());
    stopwatch_.Restart();
    while (lineOk && comDev.InBufferCount() < iRet && stopwatch_.Read() < kLimitMs)
        lineOk = comDev.WaitForInput(kLimitMs - stopwatch_.Read());
    if (!lineOk || stopwatch_.Read() >= kLimitMs) {
        bCommFault = true;
        return;
    }
    sReply = QString::fromLatin1(comDev.Input());
}

} // namespace dmxlink
