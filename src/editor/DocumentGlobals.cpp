#include "editor/DocumentGlobals.h"

#include "document/Settings.h"
#include "document/modCVDMXMap.h"
#include "platform/ComPorts.h"

namespace modCVDMXMap {

MapFileError ReadMapFile(const QString &n)
{
    const MapFileContent content = ReadMap(n);
    if (content.error.kind != MapFileError::None)
        return content.error;
    sMapFile = n;
    iDmxMap = content.map;
    tMapLabels = content.tail.LabelsOrNone();
    bMapChanged = false;
    return content.error;
}

MapFileError WriteMapFile(const QString &n)
{
    const MapFileError error = WriteLabelledMap(n, iDmxMap, tMapLabels);
    if (error.kind != MapFileError::None)
        return error;
    sMapFile = n;
    bMapChanged = false;
    return error;
}

void LoadSettings()
{
    iComPort = LoadComPort();
}

void SaveSettings()
{
    SaveComPort(iComPort);
}

void CheckComPort()
{
    if (iComPort < 0 || iComPort >= platform::ComPort::kCount) {
        iComPort = 0;
        SaveSettings();
    }
}

CommDocument CommWindowDocument()
{
    return {[]() -> const MapTable & { return iDmxMap; }, [] { return iComPort; },
            [](int16_t port) {
                iComPort = port;
                SaveSettings();
            }};
}

} // namespace modCVDMXMap
