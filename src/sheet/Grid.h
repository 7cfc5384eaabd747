#pragma once
#include "sheet/Content.h"
#include "sheet/Style.h"

#include <QPointF>
#include <array>

class QPaintDevice;
class QPainter;

// The 512 channels as the editor's window lays them out: 16 columns of 32, each cell the
// channel number, the output and its mark, then the output's label where the column has
// room. Columns are as wide as their cells need; the room left over goes to the labels,
// so a column of unassigned channels gives its room to one that names its outputs.
namespace sheet {

constexpr int kGridRows = 32;
constexpr int kGridColumns = 16;

struct GridColumn {
    qreal left = 0;       // the channel numbers
    qreal outputLeft = 0; // the outputs
    qreal markLeft = 0;   // the marks, lined up after the widest output
    qreal labelLeft = 0;  // the labels
    qreal labelRoom = 0;  // the width the labels may take
    qreal right = 0;      // nothing of the column reaches beyond
};

struct GridLayout {
    qreal points = kSmallestPt;
    qreal rowHeight = 0;
    qreal height = 0;
    qreal gap = 0;            // between one column's right and the next one's left; the rule in its middle
    bool fits = false;        // every number, output and mark within the width
    bool labelsWhole = false; // and every label in full
    std::array<GridColumn, kGridColumns> columns;
};

GridLayout LayOutGrid(const Content &content, qreal width, qreal points, QPaintDevice *device);

void DrawGrid(QPainter &painter, const QPointF &topLeft, const GridLayout &layout, const Content &content);

} // namespace sheet
