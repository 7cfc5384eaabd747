#include "platform/ComPorts.h"

#include "platform/Profile.h"

#include <QFile>

namespace platform {

namespace {
const QByteArray kSection = "Ports";
} // namespace

QString ComPortName(int commPort)
{
    return QStringLiteral("COM%1").arg(commPort);
}

std::optional<int> ParseComPortName(const QString &text)
{
    if (text.size() != 4 || !text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return std::nullopt;
    const int n = text[3].unicode() - '0';
    if (n < 1 || n > kComPorts)
        return std::nullopt;
    return n;
}

QString ComPortDevice(int commPort, const QString &settingsPath)
{
    const QByteArray device = GetPrivateProfileString(kSection, ComPortName(commPort).toLatin1(), QByteArray(),
                                                      settingsPath);
    if (!device.isEmpty())
        return QFile::decodeName(device);
    return QStringLiteral("/dev/ttyS%1").arg(commPort - 1);
}

bool SetComPortDevice(int commPort, const QString &device, const QString &settingsPath)
{
    return WritePrivateProfileString(kSection, ComPortName(commPort).toLatin1(), QFile::encodeName(device),
                                     settingsPath);
}

} // namespace platform
