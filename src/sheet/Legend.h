#pragma once
#include "sheet/Content.h"

#include <QFont>
#include <QPointF>
#include <vector>

class QPaintDevice;
class QPainter;

namespace sheet {

// Each page's foot, when the sheet marks anything: every mark it uses with what it means,
// on as many lines as the width needs.
class Legend {
public:
    Legend(const Content &content, qreal width, QPaintDevice *device);
    qreal Height() const { return height_; } // 0 for a sheet without marks
    void Draw(QPainter &p, const QPointF &topLeft) const;

private:
    struct Piece {
        QString text;
        bool symbol;
        QPointF at;
    };

    const QFont font_;
    const QFont symbolFont_;
    std::vector<Piece> pieces_;
    qreal height_ = 0;
};

} // namespace sheet
