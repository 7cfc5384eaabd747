#include "editor/WindowIcon.h"

#include "toolkit/Palette.h"

#include <QPainter>
#include <algorithm>

QIcon WindowIcon()
{
    QIcon icon;
    for (int size : {32, 64})
        icon.addPixmap(WindowIconPixmap(size));
    return icon;
}

QPixmap WindowIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(toolkit::kWindowGrey);
    QPainter p(&pixmap);
    const int cell = size / 4;
    // Gaps and frame stay one pixel up to 64 pixels and grow with larger sizes.
    const int line = std::max(1, size / 64);
    // Columns of cyan channel cells beside yellow output cells, one output lit.
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            QColor fill = col % 2 == 0 ? toolkit::kLightCyan : toolkit::kPaleYellow;
            if (row == 1 && col == 3)
                fill = toolkit::kOrange;
            p.fillRect(col * cell + line, row * cell + line, cell - 2 * line, cell - 2 * line, fill);
        }
    }
    p.fillRect(0, 0, size, line, toolkit::kNavy);
    p.fillRect(0, size - line, size, line, toolkit::kNavy);
    p.fillRect(0, 0, line, size, toolkit::kNavy);
    p.fillRect(size - line, 0, line, size, toolkit::kNavy);
    p.end();
    return pixmap;
}
