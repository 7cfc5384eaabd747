#include "toolkit/CellPictures.h"

#include <QPaintEngine>
#include <QPainter>
#include <cmath>

namespace toolkit {

namespace {

// Enough for every output caption of a map, on a plain back and a marked one.
constexpr int kMaxPictures = 256;

} // namespace

bool CellPictures::Begin(const QPainter &painter)
{
    uses_.clear();
    const QPaintDevice *device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return false;
    // The cells' whole pixels must fall on whole device pixels.
    const QTransform toDevice = painter.deviceTransform();
    const qreal ratio = device->devicePixelRatio();
    const auto whole = [](qreal v) { return v == std::round(v); };
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() != ratio || toDevice.m22() != ratio || !whole(ratio)
        || !whole(toDevice.dx()) || !whole(toDevice.dy()))
        return false;
    const QImage::Format format = static_cast<const QImage *>(device)->format();
    const QRgb pen = painter.pen().color().rgba();
    if (format != format_ || ratio != ratio_ || pen != pen_) {
        pictures_.clear();
        format_ = format;
        ratio_ = ratio;
        pen_ = pen;
    }
    return true;
}

const QImage *CellPictures::Picture(int array, const std::shared_ptr<const CaptionLayout> &caption, const QColor &back,
                                    const QRect &rect, const QPointF &topLeft)
{
    // A translucent back shows what lies under the cell, which a picture cannot hold.
    if (back.alpha() != 255)
        return nullptr;
    const Key key{array, caption, back.rgba()};
    const auto found = pictures_.constFind(key);
    if (found != pictures_.constEnd())
        return &*found;
    if (++uses_[key] < kUses)
        return nullptr;
    if (pictures_.size() >= kMaxPictures)
        pictures_.clear();
    QImage picture(rect.size() * ratio_, format_);
    picture.setDevicePixelRatio(ratio_);
    QPainter painter(&picture);
    painter.fillRect(QRect(QPoint(0, 0), rect.size()), back);
    painter.setPen(QColor::fromRgba(pen_));
    caption->Draw(painter, topLeft - rect.topLeft());
    painter.end();
    uses_.remove(key);
    return &*pictures_.insert(key, picture);
}

void CellPictures::End()
{
    uses_.clear();
}

} // namespace toolkit
