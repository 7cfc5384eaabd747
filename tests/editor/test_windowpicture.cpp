// The window looks exactly as it did when every cell was a widget of its own: the client
// area, grabbed in each state the tests reach, compared pixel for pixel by a checksum of
// its pixels. A grab that differs is saved, for a look, in the temporary folder.
#include "EditorFixture.h"

#include "kit/FileDialogScript.h"

#include <QCryptographicHash>
#include <QDir>
#include <QPushButton>

using namespace modCVDMXMap;

class TestWindowPicture : public QObject {
    Q_OBJECT
private slots:
    void selection();
    void rangeCommands();
    void openedFiles();
};

namespace {

// The SHA-256 of the pixels, row by row, as 32-bit RGB.
QByteArray PixelSum(const QImage &grab)
{
    const QImage image = grab.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash sum(QCryptographicHash::Sha256);
    for (int y = 0; y < image.height(); ++y)
        sum.addData(QByteArrayView(image.constScanLine(y), image.width() * 4));
    return sum.result().toHex();
}

// Whether the client area looks as expected once painted; if not, where its grab went.
QString LooksAs(EditorFixture &f, const char *state, const char *expected)
{
    QApplication::processEvents();
    const QImage grab = f.w->client->grab().toImage();
    if (PixelSum(grab) == expected)
        return QString();
    const QString path = QDir::temp().filePath(QStringLiteral("cvdmx-%1.png").arg(QString::fromLatin1(state)));
    grab.save(path);
    return QStringLiteral("%1 looks different (%2), saved as %3")
        .arg(QString::fromLatin1(state), QString::fromLatin1(PixelSum(grab)), path);
}

#define LOOKS_AS(f, state, sum)                                                                                        \
    do {                                                                                                               \
        const QString difference = LooksAs(f, state, sum);                                                             \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));                                                        \
    } while (false)

} // namespace

void TestWindowPicture::selection()
{
    EditorFixture f;
    LOOKS_AS(f, "startup", "c8830c4bfa86ec78082252104f19949331a6084658db92f23fa3d1de475e5572");
    f.Press(10, Qt::RightButton);
    LOOKS_AS(f, "range-one", "fa892dae5127872805dca096f5c7c7a39c86bc62f485732c9eff693898a7da62");
    f.Press(3, Qt::RightButton, Qt::ShiftModifier);
    LOOKS_AS(f, "range", "c0f5f85a30dbb67765434a7c01811734fd9bc83d065053888ffe4116e4f97143");
    f.Click(f.w->lblDMXChan[17]);
    LOOKS_AS(f, "range-number-click", "df83cd421553807d518c0809c1982e59da365ec5edf5410cb9013a065b0c81b7");
    f.w->Form_Activate();
    LOOKS_AS(f, "range-after-activation", "df83cd421553807d518c0809c1982e59da365ec5edf5410cb9013a065b0c81b7");
    f.Press(40, Qt::LeftButton);
    LOOKS_AS(f, "chooser", "bb347c7fa82628f2e67797b23362d34d297822b71ae531fc9f6d78a8a7de96cd");
    f.Press(511, Qt::LeftButton);
    LOOKS_AS(f, "chooser-last", "f152b1612ccbf293f6465a6241731d49e19121698e32aadbdc907dd86364923c");
    f.Click(QPoint(700, 30));
    LOOKS_AS(f, "chooser-hidden", "c8830c4bfa86ec78082252104f19949331a6084658db92f23fa3d1de475e5572");
}

void TestWindowPicture::rangeCommands()
{
    EditorFixture f;
    iDmxMap[40] = 20;
    iDmxMap[41] = 3;
    f.w->ShowScreen();
    f.Press(40, Qt::RightButton);
    f.Press(60, Qt::RightButton, Qt::ShiftModifier);
    QTest::mouseClick(f.w->cmdMSSeq, Qt::LeftButton);
    LOOKS_AS(f, "sequence", "b9850b7aa627cbdff3180cb82cdb72c3b02ac5e79e65f43902557c3314301966");
    iDmxMap[100] = 60;
    f.w->ShowScreen();
    f.Press(100, Qt::RightButton);
    f.Press(110, Qt::RightButton, Qt::ShiftModifier);
    QTest::mouseClick(f.w->cmdMSSeq, Qt::LeftButton);
    LOOKS_AS(f, "sequence-past-end", "11081109252d4a48380632091554600822ba43900935de51fc4f973b862d3907");
    QTest::mouseClick(f.w->cmdMSCopy, Qt::LeftButton);
    LOOKS_AS(f, "copy", "f8270b774606027fca464fc0f2949b46b846443c73443c0a16f5b7cd469b1b99");
    QTest::mouseClick(f.w->cmdMSClear, Qt::LeftButton);
    LOOKS_AS(f, "clear", "8aa70446c8127a3a38f2ea8196e7393582104956953503d3a476d8c3a9426ac2");
}

void TestWindowPicture::openedFiles()
{
    const QString samples = QStringLiteral(CVDMX_SOURCE_DIR "/samples/");
    {
        EditorFixture f;
        FileDialogScript dialogs({samples + QStringLiteral("Stage.CVX")});
        f.w->mnuFileOpen_Click();
        LOOKS_AS(f, "open-stage", "19da0d46931988f90243280cfe697c5c5ca9671450416114837ab0c797055424");
        f.w->cboDevAdd->SetListIndex(5);
        f.w->cboDevRange->SetListIndex(9);
        LOOKS_AS(f, "address-range", "86d80a02deb88ddf1067b94f7390ab26e0f77cd53d63f9b7fbdec8bd531de39b");
        f.Press(200, Qt::LeftButton);
        LOOKS_AS(f, "address-range-chooser", "fc5827789597e8a48db2025bc746dfbfe40c5192beef17defb5d4d086acfb464");
    }
    EditorFixture f;
    FileDialogScript dialogs({samples + QStringLiteral("Stage-labelled.CVX")});
    f.w->mnuFileOpen_Click();
    LOOKS_AS(f, "open-labelled", "19da0d46931988f90243280cfe697c5c5ca9671450416114837ab0c797055424");
    f.w->cboDevAdd->SetListIndex(0);
    LOOKS_AS(f, "labelled-address-1", "23435fefc9fe2d6e22259cb0e74828b77af3068c6eabfcb8025653f3c68e17ef");
}

QTEST_MAIN(TestWindowPicture)
#include "test_windowpicture.moc"
