#pragma once
#include "document/modCVDMXMap.h"

#include <QStringList>
#include <vector>

namespace modCVDMXMap {

// One thing a technician should know of a map before a download.
struct Finding {
    enum class Kind {
        AddressOutsideList, // the device address entry lies outside its list (0..15)
        RangeOutsideList,   // the device range entry lies outside its list (0..15)
        SharedOutput,       // an output driven by more than one channel
        HiddenPatch,        // a channel on an output the device address pushes past device 16: it shows as "- - -"
        OddEntry,           // a channel entry neither an output (0..63) nor none (255): kept, shown as "- - -"
    };
    Kind kind;
    int16_t entry = 0;         // the device entry, the shared output's entry or the channel's entry
    std::vector<int> channels; // the channels concerned, numbered 1..512 ascending; none for a device entry
    QString text;              // the finding in one line, as `check` prints it
};

// Every finding, in order: the device entries, the shared outputs in output order, then
// the channels in order; none for a map without surprises.
std::vector<Finding> MapFindings(const MapTable &map);

// The findings' texts, one line each.
QStringList CheckMap(const MapTable &map);

} // namespace modCVDMXMap
