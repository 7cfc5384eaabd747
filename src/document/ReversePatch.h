#pragma once
#include "document/modCVDMXMap.h"

#include <QString>
#include <vector>

// The map read the other way round: for each output the map can name at its device
// address, the channels that drive it.
namespace modCVDMXMap {

struct OutputDrive {
    int16_t entry = 0;         // the entry value naming the output, 0..63
    QString label;             // the output as the editor shows it, "D:03.1"
    std::vector<int> channels; // the channels that hold entry, numbered 1..512, ascending
};

// Every output the map can name at its device address, in order (D:dd.1 .. D:10.4): 64
// at address 1, four fewer for each address after it.
std::vector<OutputDrive> ReversePatch(const MapTable &map);

// Ascending channel numbers as runs: "65-72, 101"; "" for none.
QString ChannelRuns(const std::vector<int> &channels);

} // namespace modCVDMXMap
