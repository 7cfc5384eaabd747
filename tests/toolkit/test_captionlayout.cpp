// Captions laid out once and shared: each looks and measures exactly as Qt's own static
// text does, draws no pixel outside its ink, and looks the same drawn alone or in a batch
// with others, in every font the main window's cells use and in another, on screens of
// device pixel ratios 1, 1.25 and 2.
#include "document/OutputLabel.h"
#include "editor/frmCVDMXMap.h"
#include "kit/TempHome.h"
#include "toolkit/CaptionLayout.h"

#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <QTest>

using toolkit::CaptionFont;
using toolkit::CaptionLayout;

class TestCaptionLayout : public QObject {
    Q_OBJECT
private slots:
    void matchesQtStaticText_data();
    void matchesQtStaticText();
    void sharedPerFontAndText();
};

namespace {

QStaticText Prepared(const QString &text, const QFont &font)
{
    QStaticText caption(text);
    caption.setTextFormat(Qt::PlainText);
    caption.prepare(QTransform(), font);
    return caption;
}

// The caption drawn on a white cell at a fractional offset, as a centred cell draws it, on
// a screen of the given device pixel ratio.
QImage Drawn(const QFont &font, qreal ratio, const std::function<void(QPainter &, const QPointF &)> &draw,
             QSize size = QSize(64, 24))
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setFont(font);
    draw(p, QPointF(3.5, 2.5));
    return image;
}

// The pixels of an image that are not white, in the image's logical coordinates.
QRectF Inked(const QImage &image)
{
    QRect inked;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                inked |= QRect(x, y, 1, 1);
        }
    }
    const qreal ratio = image.devicePixelRatio();
    return QRectF(inked.x() / ratio, inked.y() / ratio, inked.width() / ratio, inked.height() / ratio);
}

} // namespace

// The fonts of the window's number cells, output cells and legends, with the texts each
// shows, and a font of another family, at device pixel ratios of 1, 1.25 and 2.
void TestCaptionLayout::matchesQtStaticText_data()
{
    TempHome home;
    frmCVDMXMap w;
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<qreal>("ratio");
    QStringList numbers{QStringLiteral("0"), QStringLiteral("9876543210")};
    for (int i = 1; i <= 512; ++i)
        numbers << QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
    QStringList outputs;
    for (int a = 0; a < 16; ++a) {
        for (int v = -1; v < 64; ++v)
            outputs << OutputLabel(int16_t(v), a);
    }
    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(14);
    serif.setBold(true);
    struct Row {
        const char *name;
        QFont font;
        QStringList texts;
        bool numbers;
    };
    const Row rows[] = {
        {"channel numbers", w.lblDMXChan[0].Font(), numbers, true},
        {"numbers in the output font", w.lblDimChan[0].Font(), numbers, true},
        {"outputs", w.lblDimChan[0].Font(), outputs, false},
        {"legends", w.lblHeader.Font(), {w.lblHeader.Caption(), w.Label1.Caption(), QString()}, false},
        {"numbers in a bold serif", serif, numbers, true},
        {"outputs in a bold serif", serif, outputs, false},
    };
    for (const qreal ratio : {1.0, 1.25, 2.0}) {
        for (const Row &row : rows) {
            QTest::addRow("%s at %g", row.name, ratio) << row.font << row.texts << row.numbers << ratio;
        }
    }
}

void TestCaptionLayout::matchesQtStaticText()
{
    QFETCH(QFont, font);
    QFETCH(QStringList, texts);
    QFETCH(bool, numbers);
    QFETCH(qreal, ratio);
    CaptionFont *layouts = CaptionFont::For(font);
    for (const QString &text : texts) {
        const CaptionLayout layout = *layouts->Layout(text);
        const QStaticText reference = Prepared(text, font);
        QCOMPARE(layout.Text(), text);
        QCOMPARE(layout.Size(), reference.size());
        QCOMPARE(layout.FromTable(), numbers);
        const QImage own = Drawn(font, ratio, [&](QPainter &p, const QPointF &at) { layout.Draw(p, at); });
        const QImage qt = Drawn(font, ratio, [&](QPainter &p, const QPointF &at) { p.drawStaticText(at, reference); });
        if (own != qt)
            QFAIL(qPrintable(QStringLiteral("\"%1\" is drawn differently").arg(text)));
        const QRectF inked = Inked(own);
        if (!inked.isEmpty() && !layout.Ink().translated(3.5, 2.5).contains(inked))
            QFAIL(qPrintable(QStringLiteral("\"%1\" is drawn outside its ink").arg(text)));
    }

    // Every tenth text at its own place, in one batch and each alone.
    const QSize place(64, 24);
    const QSize size(place.width() * 8, place.height() * int(texts.size() / 80 + 1));
    auto placed = [&](int i) { return QPointF(place.width() * (i / 10 % 8), place.height() * (i / 80)); };
    const QImage batched = Drawn(
        font, ratio,
        [&](QPainter &p, const QPointF &at) {
            toolkit::CaptionBatch batch;
            for (int i = 0; i < texts.size(); i += 10)
                batch.Add(*layouts->Layout(texts[i]), at + placed(i));
            batch.Draw(p);
        },
        size);
    const QImage alone = Drawn(
        font, ratio,
        [&](QPainter &p, const QPointF &at) {
            for (int i = 0; i < texts.size(); i += 10)
                layouts->Layout(texts[i])->Draw(p, at + placed(i));
        },
        size);
    QVERIFY(batched == alone);
}

// One set of layouts per font, whatever object carries it; a second font has its own.
void TestCaptionLayout::sharedPerFontAndText()
{
    QFont twelve(QStringLiteral("DejaVu Sans"));
    twelve.setPixelSize(12);
    QFont eleven = twelve;
    eleven.setPixelSize(11);
    CaptionFont *a = CaptionFont::For(twelve);
    QCOMPARE(CaptionFont::For(QFont(twelve)), a);
    QVERIFY(CaptionFont::For(eleven) != a);
    QVERIFY(CaptionFont::For(twelve)->Layout(QStringLiteral("042"))->Size().width()
            > CaptionFont::For(eleven)->Layout(QStringLiteral("042"))->Size().width());
}

QTEST_MAIN(TestCaptionLayout)
#include "test_captionlayout.moc"
