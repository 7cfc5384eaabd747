// The real message box: icon and buttons by code, the answer, and its text shown as it is.
#include "toolkit/MsgBox.h"

#include "kit/MessageBoxWatch.h"

#include <QTest>

class TestMsgBox : public QObject {
    Q_OBJECT
private slots:
    void textIsShownLetterForLetter_data();
    void textIsShownLetterForLetter();
    void yesNoAnswers_data();
    void yesNoAnswers();
};

void TestMsgBox::textIsShownLetterForLetter_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("bold markup") << "<b>1.01</b>";
    QTest::newRow("entity") << "REV &amp; 2";
    QTest::newRow("markup and lines")
        << "Unable To Open Map File.\r\n/home/x/<i>a</i> & b.CVX\r\nNo such file or directory";
    QTest::newRow("plain") << "Download Complete";
}

// Qt would take a text with tags or entities for rich text and render it; the box keeps
// the text, in a label that shows it as plain text.
void TestMsgBox::textIsShownLetterForLetter()
{
    QFETCH(QString, text);
    MessageBoxWatch watch(QMessageBox::Ok);
    const int answer = toolkit::MsgBox(text, 64, QStringLiteral("Device Firmware Revision"));
    QVERIFY(watch.Seen());
    QCOMPARE(answer, int(toolkit::vbOK));
    QCOMPARE(watch.Box().title, QStringLiteral("Device Firmware Revision"));
    QCOMPARE(watch.Box().text, text);
    QCOMPARE(watch.Box().format, Qt::PlainText);
    QCOMPARE(watch.Box().labelText, text);
    QCOMPARE(watch.Box().labelFormat, Qt::PlainText);
    QCOMPARE(watch.Box().icon, QMessageBox::Information);
    QCOMPARE(watch.Box().buttons, QStringList({"OK"}));
}

void TestMsgBox::yesNoAnswers_data()
{
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << int(QMessageBox::Yes) << int(toolkit::vbYes);
    QTest::newRow("no") << int(QMessageBox::No) << int(toolkit::vbNo);
    QTest::newRow("title bar") << int(QMessageBox::NoButton) << int(toolkit::vbNo);
}

void TestMsgBox::yesNoAnswers()
{
    QFETCH(int, press);
    QFETCH(int, answer);
    MessageBoxWatch watch{QMessageBox::StandardButton(press)};
    QCOMPARE(toolkit::MsgBox(QStringLiteral("Discard <Any> Changes?"), 36, QStringLiteral("QRT Corvanta DMX Map")),
             answer);
    QVERIFY(watch.Seen());
    QCOMPARE(watch.Box().icon, QMessageBox::Question);
    QCOMPARE(watch.Box().labelText, QStringLiteral("Discard <Any> Changes?"));
    QCOMPARE(watch.Box().labelFormat, Qt::PlainText);
    QCOMPARE(watch.Box().buttons.size(), 2);
}

QTEST_MAIN(TestMsgBox)
#include "test_msgbox.moc"
