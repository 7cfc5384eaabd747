#pragma once
#include "document/MapLabels.h"
#include "document/Outputs.h"

#include <QString>
#include <array>
#include <cstdint>

// The one output map the program edits and the document state that goes with it.
// The windows read and write these directly, on the user-interface thread; the rest of
// the document, the link and the tools take and return values and never touch them.
namespace modCVDMXMap {

constexpr int kChannels = 512;
constexpr int kDevAddEntry = 512;
constexpr int kDevRangeEntry = 513;
constexpr int kEntries = 514;
constexpr int16_t kNoOutput = 255;

// Entries 0..511: channels 1..512 (255 no output, 0..63 output offset);
// 512: device address list index; 513: device range list index.
using MapTable = std::array<int16_t, kEntries>;

extern MapTable iDmxMap;
extern bool bMapChanged;
extern int16_t iComPort;     // 0 = COM1 .. 7 = COM8
extern QString sMainCaption; // the main window's designed caption
extern QString sMapFile;     // full path of the map file, or "None"
extern MapLabels tMapLabels; // the title and output labels that go with iDmxMap

extern const QString kNoFile; // "None"
extern const QString kWorkFolder;
extern const QString kSettingsFile;

// A fresh map: no channel patched, device address and range 0, no file, no labels, unchanged.
void ClearMap();
void SetDevAdd(int16_t value);
int16_t GetDevAdd();
void SetDevRange(int16_t value);
int16_t GetDevRange();

// The low 4 or 8 bits as one or two upper-case hexadecimal digits.
QString Hex1(int16_t value);
QString Hex2(int16_t value);

// The fixed folder and settings file on this machine.
QString WorkFolderPath();
QString SettingsFilePath();

} // namespace modCVDMXMap
