#pragma once
#include "sheet/Content.h"
#include "sheet/Flow.h"

class QPaintDevice;

// The blocks of the lists under the grid, each laid out for a column's width at a type
// size, with the height it takes.
namespace sheet {

// An output of the reverse patch: the output and its mark, then its label in bold and the
// channels that drive it, wrapped beside them.
Flow::Block PatchBlock(const PatchEntry &entry, qreal width, qreal points, QPaintDevice *device);

// A channel patched where the grid shows "- - -": its mark, then what check says of it.
Flow::Block ListedBlock(const Listed &listed, qreal width, qreal points, QPaintDevice *device);

// A section's heading in bold.
Flow::Block HeadingBlock(const QString &heading, qreal width, qreal points, QPaintDevice *device);

} // namespace sheet
