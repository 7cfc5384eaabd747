#include "document/OutputLabel.h"

#include "document/modCVDMXMap.h"

QString OutputLabel(int16_t v, int a)
{
    static const QString none = QStringLiteral("- - -");
    if (v < 0 || v > 63)
        return none;
    const int m = 4 * a + v;
    if (m >= 64 || m < 0)
        return none;
    return QLatin1String("D:") + modCVDMXMap::Hex2(int16_t(m / 4 + 1)) + QLatin1Char('.')
        + QLatin1Char(char('1' + v % 4));
}
