#include "document/modCVDMXMap.h"

#include "platform/ComPorts.h"
#include "platform/Profile.h"

namespace modCVDMXMap {

namespace {
const QByteArray kSection = "Download";
const QByteArray kKey = "Com Port";
} // namespace

void LoadSettings()
{
    const long long n = platform::GetPrivateProfileInt(kSection, kKey, 1, SettingsFilePath());
    // A number that does not fit 16 bits is no port at all, like 0; the start-up range
    // check then puts port 1 in its place.
    const int16_t v = (n < -32767 || n > 32767) ? int16_t(0) : int16_t(n);
    iComPort = int16_t(v - 1);
    platform::WritePrivateProfileString(kSection, kKey, QByteArray::number(iComPort + 1), SettingsFilePath());
}

void CheckComPort()
{
    if (iComPort < 0 || iComPort >= platform::ComPort::kCount) {
        iComPort = 0;
        SaveSettings();
    }
}

void SaveSettings()
{
    platform::WritePrivateProfileString(kSection, kKey, QByteArray::number(iComPort + 1), SettingsFilePath());
}

} // namespace modCVDMXMap
