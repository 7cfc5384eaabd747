#include "platform/ComPorts.h"

#include "platform/Profile.h"

#include <QFile>

namespace platform {

QString ComPortDevice(int commPort, const QString &settingsPath)
{
    const QByteArray key = "COM" + QByteArray::number(commPort);
    const QByteArray device = GetPrivateProfileString("Ports", key, QByteArray(), settingsPath);
    if (!device.isEmpty())
        return QFile::decodeName(device);
    return QStringLiteral("/dev/ttyS%1").arg(commPort - 1);
}

} // namespace platform
