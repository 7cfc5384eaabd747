#include "platform/ComPorts.h"

#include "platform/Profile.h"

#include <QFile>

namespace platform {

namespace {
const QByteArray kSection = "Ports";
} // namespace

ComPort ComPort::FromIndex(int index)
{
    Q_ASSERT(index >= 0 && index < kCount);
    return ComPort(index);
}

std::optional<ComPort> ComPort::FromName(const QString &name)
{
    if (name.size() != 4 || !name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return std::nullopt;
    const int n = name[3].unicode() - '0';
    if (n < 1 || n > kCount)
        return std::nullopt;
    return ComPort(n - 1);
}

QString ComPort::Name() const
{
    return QStringLiteral("COM%1").arg(Number());
}

std::optional<QString> ComPort::ConfiguredDevice(const QString &settingsPath) const
{
    const QByteArray device = GetPrivateProfileString(kSection, Name().toLatin1(), QByteArray(), settingsPath);
    if (device.isEmpty())
        return std::nullopt;
    return QFile::decodeName(device);
}

QString ComPort::Device(const QString &settingsPath) const
{
    return ConfiguredDevice(settingsPath).value_or(QStringLiteral("/dev/ttyS%1").arg(index_));
}

bool ComPort::SetDevice(const QString &device, const QString &settingsPath, QString *reason) const
{
    return WritePrivateProfileString(kSection, Name().toLatin1(), QFile::encodeName(device), settingsPath, reason);
}

bool ComPort::ClearDevice(const QString &settingsPath, QString *reason) const
{
    return DeletePrivateProfileKey(kSection, Name().toLatin1(), settingsPath, reason);
}

} // namespace platform
