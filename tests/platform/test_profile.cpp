// Reading and writing profile files: what is found, and that writing one key leaves
// every other byte of the file as it was.
#include "platform/Profile.h"

#include <QTest>
#include <climits>

using platform::ProfileInt;
using platform::ProfileValue;
using platform::ProfileWithValue;

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void lookup_data();
    void lookup();
    void write_data();
    void write();
    void integers_data();
    void integers();
};

void TestProfile::lookup_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("plain") << QByteArray("[Download]\nCom Port=3\n") << true << QByteArray("3");
    QTest::newRow("case and blanks") << QByteArray(" [ DOWNLOAD ] \r\n  com PORT  =  4 \r\n") << true
                                     << QByteArray("4");
    QTest::newRow("missing key") << QByteArray("[Download]\nOther=3\n") << false << QByteArray();
    QTest::newRow("other section") << QByteArray("[Ports]\nCom Port=3\n") << false << QByteArray();
    QTest::newRow("comment line") << QByteArray("[Download]\n;Com Port=3\n") << false << QByteArray();
    QTest::newRow("first of repeated keys")
        << QByteArray("[Download]\nCom Port=2\nCom Port=5\n") << true << QByteArray("2");
    QTest::newRow("first of repeated sections")
        << QByteArray("[Download]\nx=1\n[Download]\nCom Port=5\n") << false << QByteArray();
    QTest::newRow("binary garbage") << QByteArray("\x00\xff[\x01=\n\r\r=", 9) << false << QByteArray();
    QTest::newRow("no final newline") << QByteArray("[Download]\nCom Port=7") << true << QByteArray("7");
    QTest::newRow("empty value") << QByteArray("[Download]\nCom Port=\n") << true << QByteArray("");
}

void TestProfile::lookup()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);
    const std::optional<QByteArray> actual = ProfileValue(text, "Download", "Com Port");
    QCOMPARE(actual.has_value(), found);
    if (actual)
        QCOMPARE(*actual, value);
}

void TestProfile::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("empty") << QByteArray() << QByteArray("[Download]\nCom Port=5\n");
    QTest::newRow("replace keeps CR LF") << QByteArray("[Download]\r\nCom Port=1\r\n")
                                         << QByteArray("[Download]\r\nCom Port=5\r\n");
    QTest::newRow("replace only the first")
        << QByteArray("[Download]\nCom Port=1\nCom Port=2\n") << QByteArray("[Download]\nCom Port=5\nCom Port=2\n");
    QTest::newRow("key added after the section's last key")
        << QByteArray("[Download]\na=1\n\n[Next]\nb=2\n") << QByteArray("[Download]\na=1\nCom Port=5\n\n[Next]\nb=2\n");
    QTest::newRow("key added to a header without newline")
        << QByteArray("[Download]") << QByteArray("[Download]\nCom Port=5\n");
    QTest::newRow("section added after text without newline")
        << QByteArray("; hi\r\n[A]\r\nx=1") << QByteArray("; hi\r\n[A]\r\nx=1\r\n[Download]\r\nCom Port=5\r\n");
    QTest::newRow("key after a header ending in a bare CR goes on a line of its own")
        << QByteArray("[Download]\r") << QByteArray("[Download]\r\nCom Port=5\n");
    QTest::newRow("same value, same bytes")
        << QByteArray("[download]\n  COM PORT = 5  \n") << QByteArray("[download]\nCom Port=5\n");
}

void TestProfile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QCOMPARE(ProfileWithValue(before, "Download", "Com Port", "5"), after);
}

void TestProfile::integers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qlonglong>("value");
    QTest::newRow("digits") << QByteArray("12") << 12LL;
    QTest::newRow("leading blanks") << QByteArray("   7") << 7LL;
    QTest::newRow("plus") << QByteArray("+3") << 3LL;
    QTest::newRow("minus") << QByteArray("-4") << -4LL;
    QTest::newRow("letters") << QByteArray("abc") << 0LL;
    QTest::newRow("digits then letters") << QByteArray("12abc") << 12LL;
    QTest::newRow("hex prefix") << QByteArray("0x10") << 0LL;
    QTest::newRow("inner blank") << QByteArray("1 2") << 1LL;
    QTest::newRow("2^31") << QByteArray("2147483648") << 2147483648LL;
    QTest::newRow("the largest") << QByteArray("9223372036854775807") << LLONG_MAX;
    QTest::newRow("one past the largest") << QByteArray("9223372036854775808") << LLONG_MAX;
    QTest::newRow("huge saturates") << QByteArray("99999999999999999999999999") << LLONG_MAX;
    QTest::newRow("the smallest") << QByteArray("-9223372036854775808") << LLONG_MIN;
    QTest::newRow("one below the smallest") << QByteArray("-9223372036854775809") << LLONG_MIN;
    QTest::newRow("huge negative saturates") << QByteArray("-99999999999999999999999999") << LLONG_MIN;
}

void TestProfile::integers()
{
    QFETCH(QByteArray, text);
    QFETCH(qlonglong, value);
    QCOMPARE(qlonglong(ProfileInt(text)), value);
}

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
