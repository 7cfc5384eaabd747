#pragma once
#include "document/Outputs.h"

#include <QString>

// The entries of the device address and device range lists, by list index 0..15, as the
// main window's lists show them.
QString DeviceAddressText(int index); // "Device Address: 01" .. "Device Address: 10"
QString DeviceRangeText(int index);   // "Device Range: 1 / Switch Setting: 0" .. "Device Range: 16 / Switch Setting: F"

constexpr int kDeviceListEntries = modCVDMXMap::kDevices; // an entry per device
