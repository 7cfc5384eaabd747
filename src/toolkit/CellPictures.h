#pragma once
#include "toolkit/CaptionLayout.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <memory>

class QPainter;

namespace toolkit {

// Whole cells drawn once and then copied. An array shows the same caption on the same back
// in many cells ("- - -" in every output cell of a new map), and copying a cell's pixels
// costs a fraction of filling it and drawing its glyphs again. The copy is exact where the
// cell stands on whole device pixels of an image of the same format as the picture, so
// pictures are made only for painters on an image of a whole device pixel ratio, and are
// dropped when the pen, the format or the ratio changes.
class CellPictures {
public:
    // Starts a paint on painter; false when its device takes no pictures.
    bool Begin(const QPainter &painter);
    // The picture of a cell of array, showing caption at topLeft on an opaque back in rect:
    // made on the caption's kUses-th showing in this paint, kept for later paints; null
    // before, and for a translucent back.
    const QImage *Picture(int array, const std::shared_ptr<const CaptionLayout> &caption, const QColor &back,
                          const QRect &rect, const QPointF &topLeft);
    void End();

    // Below this many showings in one paint, a caption is drawn directly: a picture costs
    // about as much to make as drawing a few cells.
    static constexpr int kUses = 4;

private:
    // A layout is shared by every cell of its font showing its text, and kept alive by the
    // key: no other layout can take its address while a picture of it is kept.
    struct Key {
        int array;
        std::shared_ptr<const CaptionLayout> caption;
        QRgb back;
        bool operator==(const Key &other) const
        {
            return array == other.array && back == other.back && caption == other.caption;
        }
    };
    friend size_t qHash(const Key &key, size_t seed)
    {
        return qHashMulti(seed, key.array, key.caption.get(), key.back);
    }

    QHash<Key, QImage> pictures_;
    QHash<Key, int> uses_; // showings in this paint of captions with no picture yet
    QImage::Format format_ = QImage::Format_Invalid;
    qreal ratio_ = 0;
    QRgb pen_ = 0;
};

} // namespace toolkit
