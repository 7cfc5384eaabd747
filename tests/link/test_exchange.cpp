// The exchange's rules, on a scripted line with a fake clock: when it ends, what it reads,
// what it throws away, and when a reply counts as too late. One exchange runs over a real
// serial port on a pseudo-terminal.
#include "kit/ScriptedLine.h"
#include "link/Exchange.h"
#include "link/Protocol.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"

#include <QtTest>
#include <thread>

namespace {

const QByteArray kRevisionReply = "[CVDMX FW REV 1.01 ]";
const QByteArray kChecksumReply = "[0A1A1879AC56C2A8]";
constexpr int kLimit = dmxlink::Exchange::kLimitMs;

QList<QByteArray> Discarded(const QByteArray &first = QByteArray())
{
    return {first, QByteArray(), QByteArray(), QByteArray()};
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void partialReplyTimesOutAndIsDiscardedNext();
    void lostLineFailsEveryLaterExchangeAtOnce();
    void overARealSerialPort();
};

// Each row: what the line does after the frame, characters waiting before the send, the
// port's receive buffer (-1: no limit), the characters awaited, then the outcome: a fault,
// the reply (none with a fault), the fake time at which the exchange ended, and what each
// read of the port returned.
void TestExchange::rules_data()
{
    QTest::addColumn<ScriptedLine::Step>("step");
    QTest::addColumn<QByteArray>("waiting");
    QTest::addColumn<int>("buffer");
    QTest::addColumn<int>("iRet");
    QTest::addColumn<bool>("fault");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("ms");
    QTest::addColumn<QList<QByteArray>>("taken");
    const QByteArray none;
    const QString rev = QString::fromLatin1(kRevisionReply);
    const QString sum = QString::fromLatin1(kChecksumReply);
    const QList<QByteArray> timedOut = Discarded();

    QTest::newRow("exactly iRet characters") << Answer("[04]", kRevisionReply, 30) << none << -1 << 20 << false << rev
                                             << 30 << Discarded() + QList<QByteArray>{kRevisionReply};
    QTest::newRow("more than iRet: every waiting character")
        << Answer("[04]", kRevisionReply + "XY", 30) << none << -1 << 20 << false << rev + "XY" << 30
        << Discarded() + QList<QByteArray>{kRevisionReply + "XY"};
    QTest::newRow("returns as soon as iRet characters wait")
        << InPieces("[04]", {{30, kRevisionReply}, {31, "late"}}) << none << -1 << 20 << false << rev << 30
        << Discarded() + QList<QByteArray>{kRevisionReply};
    QTest::newRow("reply in pieces") << InPieces("[04]", {{10, "[CVD"}, {700, "MX FW REV"}, {1300, " 1.01 ]"}}) << none
                                     << -1 << 20 << false << rev << 1300
                                     << Discarded() + QList<QByteArray>{kRevisionReply};
    QTest::newRow("junk first counts") << Answer("[03]", "~~" + kChecksumReply, 5) << none << -1 << 18 << false
                                       << "~~" + sum << 5 << Discarded() + QList<QByteArray>{"~~" + kChecksumReply};
    QTest::newRow("complete 1 ms before the limit")
        << Answer("[04]", kRevisionReply, kLimit - 1) << none << -1 << 20 << false << rev << kLimit - 1
        << Discarded() + QList<QByteArray>{kRevisionReply};
    // The wait ends because the characters are there, but the stopwatch read after the
    // wait decides: it shows the limit reached.
    QTest::newRow("complete right at the limit: a time-out")
        << Answer("[04]", kRevisionReply, kLimit) << none << -1 << 20 << true << "" << kLimit << timedOut;
    QTest::newRow("reply after the limit")
        << Answer("[04]", kRevisionReply, kLimit + 200) << none << -1 << 20 << true << "" << kLimit << timedOut;
    QTest::newRow("silence") << Silent("[04]") << none << -1 << 20 << true << "" << kLimit << timedOut;
    QTest::newRow("one character short") << Answer("[04]", kRevisionReply.chopped(1), 10) << none << -1 << 20 << true
                                         << "" << kLimit << timedOut;
    QTest::newRow("characters waiting before the send are discarded")
        << Answer("[03]", kChecksumReply, 8) << QByteArray("[01][01]") << -1 << 18 << false << sum << 8
        << Discarded("[01][01]") + QList<QByteArray>{kChecksumReply};
    // Each read takes what the port holds; what waits behind it comes up with the next.
    QTest::newRow("four reads take 4096 characters waiting behind a 1024-byte port")
        << Answer("[03]", kChecksumReply, 8) << QByteArray(4096, '#') << 1024 << 18 << false << sum << 8
        << QList<QByteArray>{QByteArray(1024, '#'), QByteArray(1024, '#'), QByteArray(1024, '#'), QByteArray(1024, '#'),
                             kChecksumReply};
    QTest::newRow("the 4097th character waiting leads the reply")
        << Answer("[03]", kChecksumReply, 8) << QByteArray(4097, '#') << 1024 << 18 << false << "#" + sum << 8
        << QList<QByteArray>{QByteArray(1024, '#'), QByteArray(1024, '#'), QByteArray(1024, '#'), QByteArray(1024, '#'),
                             "#" + kChecksumReply};
    QTest::newRow("iRet 0 ends at once") << Answer("[04]", kRevisionReply, 300) << none << -1 << 0 << false << "" << 0
                                         << Discarded() + QList<QByteArray>{QByteArray()};
    QTest::newRow("device gone: a time-out at once")
        << HangsUp("[04]", 300) << none << -1 << 20 << true << "" << 300 << timedOut;
    QTest::newRow("device gone after part of the reply") << [] {
        ScriptedLine::Step step = InPieces("[04]", {{40, "[CVDMX"}});
        step.hangUpAtMs = 90;
        return step;
    }() << none << -1 << 20 << true << "" << 90 << timedOut;
    QTest::newRow("write error: a time-out at once")
        << WriteFails("[04]") << none << -1 << 20 << true << "" << 0 << timedOut;
}

void TestExchange::rules()
{
    QFETCH(ScriptedLine::Step, step);
    QFETCH(QByteArray, waiting);
    QFETCH(int, buffer);
    QFETCH(int, iRet);
    QFETCH(bool, fault);
    QFETCH(QString, reply);
    QFETCH(int, ms);
    QFETCH(QList<QByteArray>, taken);
    ScriptedLine line({step});
    QString reason;
    QVERIFY(line.Open(QStringLiteral("/dev/cvdmx-scripted"), &reason));
    line.SetReceiveBuffer(buffer);
    line.Arrive(waiting);
    dmxlink::Exchange exchange(line, line);

    const dmxlink::ExchangeResult result = exchange.Run(QString::fromLatin1(step.frame), int16_t(iRet));

    QCOMPARE(result.fault, fault);
    QCOMPARE(result.reply, reply);
    QCOMPARE(line.Now(), int64_t(ms));
    QCOMPARE(line.Taken(), taken);
    QCOMPARE(line.Sent(), QList<QByteArray>{step.frame});
    QCOMPARE(line.Unexpected(), 0);
}

void TestExchange::partialReplyTimesOutAndIsDiscardedNext()
{
    ScriptedLine line({Answer("[04]", kRevisionReply.chopped(1), 10), Answer("[03]", kChecksumReply, 15)});
    QString reason;
    QVERIFY(line.Open(QStringLiteral("/dev/cvdmx-scripted"), &reason));
    dmxlink::Exchange exchange(line, line);

    QCOMPARE(exchange.Run(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength), (dmxlink::ExchangeResult{true, {}}));
    QCOMPARE(line.Now(), int64_t(kLimit));
    QCOMPARE(line.InBufferCount(), 19);

    QCOMPARE(exchange.Run(dmxlink::kChecksumCommand, dmxlink::kChecksumReplyLength),
             (dmxlink::ExchangeResult{false, QString::fromLatin1(kChecksumReply)}));
    QCOMPARE(line.Now(), int64_t(kLimit + 15));
    QCOMPARE(line.Taken(), Discarded() + Discarded(kRevisionReply.chopped(1)) + QList<QByteArray>{kChecksumReply});
    QCOMPARE(line.Sent(), (QList<QByteArray>{"[04]", "[03]"}));
}

void TestExchange::lostLineFailsEveryLaterExchangeAtOnce()
{
    const dmxlink::MapTable map{};
    const QByteArray block = dmxlink::BlockFrame(map, 0).toLatin1();
    ScriptedLine line({HangsUp(block, 25), Answer("[04]", kRevisionReply)});
    QString reason;
    QVERIFY(line.Open(QStringLiteral("/dev/cvdmx-scripted"), &reason));
    dmxlink::Exchange exchange(line, line);

    QCOMPARE(exchange.Run(QString::fromLatin1(block), dmxlink::kBlockReplyLength), (dmxlink::ExchangeResult{true, {}}));
    QCOMPARE(line.Now(), int64_t(25));
    QCOMPARE(exchange.Run(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength), (dmxlink::ExchangeResult{true, {}}));
    QCOMPARE(line.Now(), int64_t(25));
    QCOMPARE(line.Sent(), (QList<QByteArray>{block, "[04]"}));
}

// The frame leaves byte for byte, characters that came before it are thrown away, and
// everything waiting when the reply is complete is read.
void TestExchange::overARealSerialPort()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    pty.Write("stale", 3000);
    QTRY_COMPARE(port.InBufferCount(), 5);
    QByteArray sent;
    std::thread controller([&] {
        sent = pty.Read(4, 10000);
        pty.Write("[ABCDEFGHIJKLMNOPQR]tail", 3000);
    });
    platform::Stopwatch clock;
    dmxlink::Exchange exchange(port, clock);
    const dmxlink::ExchangeResult result = exchange.Run(QStringLiteral("[04]"), 20);
    controller.join();
    QCOMPARE(sent, QByteArray("[04]"));
    QVERIFY(!result.fault);
    // A reply written in one go arrives in one piece on a pseudo-terminal.
    QCOMPARE(result.reply, QStringLiteral("[ABCDEFGHIJKLMNOPQR]tail"));
    QCOMPARE(pty.Read(1, 100), QByteArray());
}

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
