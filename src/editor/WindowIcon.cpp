#include "editor/WindowIcon.h"

#include <QPainter>
#include <QPixmap>

QIcon WindowIcon()
{
    QIcon icon;
    for (int size : {32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(QColor(0xE0, 0xE0, 0xE0));
        QPainter p(&pixmap);
        const int cell = size / 4;
        // Columns of cyan channel cells beside yellow output cells, one output lit.
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 4; ++col) {
                QColor fill = col % 2 == 0 ? QColor(0x80, 0xFF, 0xFF) : QColor(0xFF, 0xFF, 0xC0);
                if (row == 1 && col == 3)
                    fill = QColor(0xFF, 0x80, 0x00);
                p.fillRect(col * cell + 1, row * cell + 1, cell - 2, cell - 2, fill);
            }
        }
        p.setPen(QColor(0x00, 0x00, 0x80));
        p.drawRect(0, 0, size - 1, size - 1);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
