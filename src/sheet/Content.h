#pragma once
#include "sheet/PatchSheet.h"

#include <vector>

// What the sheet says, worked out from its input before anything is laid out.
namespace sheet {

// What a mark on the sheet flags; each has a symbol, so that it reads in black and white.
enum class Mark { None, Shared, Hidden, Odd };

QString Symbol(Mark mark);
QString Meaning(Mark mark);

struct GridCell {
    QString output;         // as the editor's window shows it
    Mark mark = Mark::None; // Shared, Hidden or Odd
    QString label;          // the label of the output shown; empty for none
};

// One output of the reverse patch.
struct PatchEntry {
    QString output;         // "D:07.1"
    Mark mark = Mark::None; // Shared for an output driven by several channels
    QString label;
    QString channels; // "65-72, 101 [9 channels]", the bracket never broken; "not driven"
    bool driven = false;
};

// A channel listed under the reverse patch: a hidden patch or an odd entry.
struct Listed {
    Mark mark;
    QString text; // as check names it
};

struct Content {
    QString fileName;
    QString title;
    QString date;
    QString device; // the device address and range and the checksum
    QString patchHeading;
    std::array<GridCell, modCVDMXMap::kChannels> cells;
    std::vector<PatchEntry> outputs;
    std::vector<Listed> listed;
    std::vector<Mark> marks; // the marks the sheet uses, in the legend's order
};

Content ContentOf(const Sheet &sheet);

} // namespace sheet
