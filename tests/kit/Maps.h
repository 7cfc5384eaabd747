#pragma once
#include "document/modCVDMXMap.h"

#include <QByteArray>
#include <QList>

using modCVDMXMap::MapTable;

// Channel i (from 0) holds entry(i); the device address and range entries as given.
MapTable MapOf(int16_t (*entry)(int i), int16_t devAdd = 0, int16_t devRange = 0);
// No channel has an output; the device address and range entries as given.
MapTable EmptyMap(int16_t devAdd = 0, int16_t devRange = 0);
// The map of a fresh controller and of File New.
MapTable ResetMap();
// Device address 03, range 4; a few outputs, values the editor never makes (-1, 300), the
// rest none: the map the command-line tests read.
MapTable FewOutputsMap();
// The map file the editor's tests open: channel 1 on output offset 5, address 3, range 7.
MapTable DiskMap();
// Block frame block of map, and frames 0 .. blocks - 1, as the controller receives them.
QByteArray Frame(const MapTable &map, int block);
QList<QByteArray> Frames(const MapTable &map, int blocks);
