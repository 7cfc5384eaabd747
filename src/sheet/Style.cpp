#include "sheet/Style.h"

#include <algorithm>

namespace sheet {

QFont SheetFont(Face face, qreal points)
{
    QFont font(face == Face::Digits ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(std::max(points, kSmallestPt));
    font.setBold(face == Face::Bold);
    return font;
}

} // namespace sheet
