#pragma once
#include "sheet/Content.h"

#include <QFont>
#include <QRectF>

class QPaintDevice;
class QPainter;

namespace sheet {

// Each page's head: the file name and the date, the title and the page number, the device
// address and range and the checksum, a rule. Long texts are cut with an ellipsis before
// they reach the page's edge or the text beside them.
class Header {
public:
    Header(const Content &content, QPaintDevice *device);
    // From the top of the page's area to where the page's content starts.
    qreal Height() const;
    void Draw(QPainter &p, const QRectF &area, int page, int pages) const;

private:
    void DrawPair(QPainter &p, const QRectF &line, const QFont &leftFont, const QString &left,
                  const QString &right) const;

    const Content &content_;
    QPaintDevice *device_;
    const QFont fileFont_;
    const QFont titleFont_;
    const QFont font_;
};

} // namespace sheet
