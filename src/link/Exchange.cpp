#include "link/Exchange.h"

namespace dmxlink {

ExchangeResult Exchange::Run(const QString &sCmd, int16_t iRet)
{
    for (int i = 0; i < kDrains; ++i)
        comDev.Input();
    bool lineOk = comDev.Output(sCmd.toLatin1());
    stopwatch_.Restart();
    while (lineOk && comDev.InBufferCount() < iRet && stopwatch_.Read() < kLimitMs)
        lineOk = comDev.WaitForInput(kLimitMs - stopwatch_.Read());
    if (!lineOk || stopwatch_.Read() >= kLimitMs)
        return {true, QString()};
    return {false, QString::fromLatin1(comDev.Input())};
}

} // namespace dmxlink
