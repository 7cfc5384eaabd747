#include "document/OutputLabel.h"

#include "document/modCVDMXMap.h"

QString OutputLabel(int16_t v, int a)
{
    using namespace modCVDMXMap;
    static const QString none = QStringLiteral("- - -");
    if (v < 0 || v > kLastOutput)
        return none;
    const int m = kOutputsPerDevice * a + v;
    if (m > kLastOutput || m < 0)
        return none;
    return QLatin1String("D:") + Hex2(int16_t(m / kOutputsPerDevice + 1)) + QLatin1Char('.')
        + QLatin1Char(char('1' + v % kOutputsPerDevice));
}
