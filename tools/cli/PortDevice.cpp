#include "PortDevice.h"

#include "document/modCVDMXMap.h"
#include "platform/ComPorts.h"

namespace cli {

std::optional<QString> PortDevice(const QString &port)
{
    if (const std::optional<platform::ComPort> com = platform::ComPort::FromName(port))
        return com->Device(modCVDMXMap::SettingsFilePath());
    if (port.contains(QLatin1Char('/')))
        return port;
    return std::nullopt;
}

} // namespace cli
