#include "document/DeviceLists.h"

#include "document/modCVDMXMap.h"

QString DeviceAddressText(int index)
{
    return QStringLiteral("Device Address: ") + modCVDMXMap::Hex2(int16_t(index + 1));
}

QString DeviceRangeText(int index)
{
    return QStringLiteral("Device Range: %1 / Switch Setting: ").arg(index + 1) + modCVDMXMap::Hex1(int16_t(index));
}
