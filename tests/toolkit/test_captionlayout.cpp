// Captions laid out once and shared: each looks and measures exactly as Qt's own static
// text does, in every font the main window's cells use and in another, on screens of device
// pixel ratios 1, 1.25 and 2.
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
QImage Drawn(const QFont &font, qreal ratio, const std::function<void(QPainter &, const QPointF &)> &draw)
{
    QImage image(QSize(64, 24) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setFont(font);
    draw(p, QPointF(3.5, 2.5));
    return image;
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
        const CaptionLayout layout = layouts->Layout(text);
        const QStaticText reference = Prepared(text, font);
        QCOMPARE(layout.Text(), text);
        QCOMPARE(layout.Size(), reference.size());
        QCOMPARE(layout.FromTable(), numbers);
        const QImage own = Drawn(font, ratio, [&](QPainter &p, const QPointF &at) { layout.Draw(p, at); });
        const QImage qt = Drawn(font, ratio, [&](QPainter &p, const QPointF &at) { p.drawStaticText(at, reference); });
        if (own != qt)
            QFAIL(qPrintable(QStringLiteral("\"%1\" is drawn differently").arg(text)));
    }
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
    QVERIFY(CaptionFont::For(twelve)->Layout(QStringLiteral("042")).Size().width()
            > CaptionFont::For(eleven)->Layout(QStringLiteral("042")).Size().width());
}

QTEST_MAIN(TestCaptionLayout)
#include "test_captionlayout.moc"
