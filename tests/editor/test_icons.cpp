// The icon files that get installed are the window icon's design, pixel for pixel.
#include "editor/WindowIcon.h"

#include <QImage>
#include <QtTest>

class TestIcons : public QObject {
    Q_OBJECT
private slots:
    void installedIconsMatchTheDesign_data();
    void installedIconsMatchTheDesign();
    void windowIconHasTheSmallSizes();
};

void TestIcons::installedIconsMatchTheDesign_data()
{
    QTest::addColumn<int>("size");
    for (int size : {32, 64, 128, 256})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void TestIcons::installedIconsMatchTheDesign()
{
    QFETCH(int, size);
    const QString path = QFINDTESTDATA(QStringLiteral("../../desktop/icons/cvdmxmap-%1.png").arg(size));
    QVERIFY2(!path.isEmpty(), "icon file missing: run scripts/icons.sh");
    const QImage file = QImage(path).convertToFormat(QImage::Format_RGB32);
    const QImage drawn = WindowIconPixmap(size).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(file.size(), QSize(size, size));
    QVERIFY2(file == drawn, "icon file out of date: run scripts/icons.sh");
}

void TestIcons::windowIconHasTheSmallSizes()
{
    const QIcon icon = WindowIcon();
    QCOMPARE(icon.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(64, 64)}));
    QCOMPARE(icon.pixmap(32).toImage().convertToFormat(QImage::Format_RGB32),
             WindowIconPixmap(32).toImage().convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestIcons)
#include "test_icons.moc"
