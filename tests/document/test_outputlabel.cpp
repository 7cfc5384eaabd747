// The one rule that turns an entry and the device address into the text of a cell.
#include "document/OutputLabel.h"

#include <QTest>

class TestOutputLabel : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
};

void TestOutputLabel::texts_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("text");
    QTest::newRow("a0 v0") << 0 << 0 << "D:01.1";
    QTest::newRow("a0 v3") << 3 << 0 << "D:01.4";
    QTest::newRow("a0 v4") << 4 << 0 << "D:02.1";
    QTest::newRow("a0 v39") << 39 << 0 << "D:0A.4";
    QTest::newRow("a0 v63") << 63 << 0 << "D:10.4";
    QTest::newRow("a0 v255") << 255 << 0 << "- - -";
    QTest::newRow("a2 v0") << 0 << 2 << "D:03.1";
    QTest::newRow("a2 v55") << 55 << 2 << "D:10.4";
    QTest::newRow("a2 v56") << 56 << 2 << "- - -";
    QTest::newRow("a5 v0") << 0 << 5 << "D:06.1";
    QTest::newRow("a5 v43") << 43 << 5 << "D:10.4";
    QTest::newRow("a5 v44") << 44 << 5 << "- - -";
    QTest::newRow("a5 v63") << 63 << 5 << "- - -";
    QTest::newRow("a15 v0") << 0 << 15 << "D:10.1";
    QTest::newRow("a15 v3") << 3 << 15 << "D:10.4";
    QTest::newRow("a15 v4") << 4 << 15 << "- - -";
    QTest::newRow("a0 v64") << 64 << 0 << "- - -";
    QTest::newRow("a0 v100") << 100 << 0 << "- - -";
    QTest::newRow("a0 v-1") << -1 << 0 << "- - -";
    QTest::newRow("a15 v-1") << -1 << 15 << "- - -";
    QTest::newRow("a0 v-4") << -4 << 0 << "- - -";
    QTest::newRow("a15 v-32768") << -32768 << 15 << "- - -";
    QTest::newRow("a15 v32767") << 32767 << 15 << "- - -";
}

void TestOutputLabel::texts()
{
    QFETCH(int, value);
    QFETCH(int, address);
    QFETCH(QString, text);
    QCOMPARE(OutputLabel(int16_t(value), address), text);
}

QTEST_APPLESS_MAIN(TestOutputLabel)
#include "test_outputlabel.moc"
