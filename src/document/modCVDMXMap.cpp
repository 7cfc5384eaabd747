#include "document/modCVDMXMap.h"

#include "platform/Paths.h"

namespace modCVDMXMap {

MapTable iDmxMap{};
bool bMapChanged = false;
int16_t iComPort = 0;
QString sMainCaption;
const QString kNoFile = QStringLiteral("None");
QString sMapFile = kNoFile;
MapLabels tMapLabels;

const QString kWorkFolder = QStringLiteral("C:\\QRT Corvanta DMX Map");
const QString kSettingsFile = kWorkFolder + QStringLiteral("\\QRT Corvanta DMX Map.ini");

void ClearMap()
{
    sMapFile = kNoFile;
    for (int i = 0; i < kChannels; ++i)
        iDmxMap[i] = kNoOutput;
    SetDevAdd(0);
    SetDevRange(0);
    tMapLabels = MapLabels();
    bMapChanged = false;
}

void SetDevAdd(int16_t value)
{
    iDmxMap[kDevAddEntry] = value;
}
int16_t GetDevAdd()
{
    return iDmxMap[kDevAddEntry];
}
void SetDevRange(int16_t value)
{
    iDmxMap[kDevRangeEntry] = value;
}
int16_t GetDevRange()
{
    return iDmxMap[kDevRangeEntry];
}

namespace {
const char kDigits[] = "0123456789ABCDEF";
}

QString Hex1(int16_t value)
{
    return QString(QLatin1Char(kDigits[uint16_t(value) & 0xF]));
}

QString Hex2(int16_t value)
{
    const uint16_t v = uint16_t(value);
    const char text[2] = {kDigits[(v >> 4) & 0xF], kDigits[v & 0xF]};
    return QString::fromLatin1(text, 2);
}

QString WorkFolderPath()
{
    return platform::LocalPath(kWorkFolder);
}
QString SettingsFilePath()
{
    return platform::LocalPath(kSettingsFile);
}

} // namespace modCVDMXMap
