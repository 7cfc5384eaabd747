#include "document/Settings.h"

#include "document/modCVDMXMap.h"
#include "platform/Profile.h"

namespace modCVDMXMap {

namespace {
const QByteArray kSection = "Download";
const QByteArray kKey = "Com Port";
constexpr int16_t kDefaultNumber = 1;
} // namespace

int16_t LoadComPort()
{
    const long long n = platform::GetPrivateProfileInt(kSection, kKey, kDefaultNumber, SettingsFilePath());
    // A number that does not fit 16 bits is no port at all, like 0.
    const int16_t v = (n < -32767 || n > 32767) ? int16_t(0) : int16_t(n);
    const int16_t port = int16_t(v - 1);
    SaveComPort(port);
    return port;
}

void SaveComPort(int16_t port)
{
    platform::WritePrivateProfileString(kSection, kKey, QByteArray::number(port + 1), SettingsFilePath());
}

} // namespace modCVDMXMap
