#include "link/Exchange.h"
#include "link/Protocol.h"
#include "platform/Stopwatch.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "kit/SimProcess.h"
#include "kit/StallWatch.h"

#include <QtTest>
#include <thread>

namespace {
const QString kRevisionReply = QStringLiteral("[CVDMX FW REV 1.01 ]");
const QString kResetChecksumReply = QStringLiteral("[0A1A1879AC56C2A8]");
} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void sendsFrameBytesExactlyAndReadsAllWaiting();
    void replyInTime_data();
    void replyInTime();
    void replyNearTheLimitSucceeds();
    void oneCharacterShortTimesOutAndIsDiscardedNext();
    void staleCharactersBeforeTheSendAreDiscarded();
    void lineDroppedEndsExchangeAsTimeout();
};

void TestExchange::sendsFrameBytesExactlyAndReadsAllWaiting()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    pty.Write("stale", 3000);
    QTRY_COMPARE(port.InBufferCount(), 5);
    QByteArray sent;
    std::thread controller([&] {
        sent = pty.Read(4, 2000);
        pty.Write("[ABCDEFGHIJKLMNOPQR]tail", 3000);
    });
    platform::Stopwatch clock;
    dmxlink::Exchange exchange(port, clock);
    exchange.LSComPrg(QStringLiteral("[04]"), 20);
    controller.join();
    QCOMPARE(sent, QByteArray("[04]"));
    QVERIFY(!exchange.bCommFault);
    // Everything waiting after the 20th character arrived; a reply written in one go
    // arrives in one piece on a pseudo-terminal.
    QCOMPARE(exchange.sReply, QStringLiteral("[ABCDEFGHIJKLMNOPQR]tail"));
    QCOMPARE(pty.Read(1, 100), QByteArray());
}

void TestExchange::replyInTime_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("iRet");
    QTest::addColumn<QString>("reply");
    QTest::newRow("exactly iRet") << QStringList() << "[04]" << 20 << kRevisionReply;
    QTest::newRow("more than iRet") << QStringList{"--extra", "04", "--extra-text", "XY"} << "[04]" << 20
                                    << kRevisionReply + "XY";
    QTest::newRow("junk first counts") << QStringList{"--junk", "03"} << "[03]" << 18
                                       << "~~" + kResetChecksumReply;
    QTest::newRow("block reply") << QStringList() << "[010000" + QString(128, QLatin1Char('F')) + "]" << 4
                                 << "[01]";
}

void TestExchange::replyInTime()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QString, command);
    QFETCH(int, iRet);
    QFETCH(QString, reply);
    SimProcess sim(simArgs);
    QVERIFY(sim.Started());
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(sim.Path(), &reason));
    platform::Stopwatch clock;
    dmxlink::Exchange exchange(port, clock);
    exchange.bCommFault = true;
    exchange.LSComPrg(command, int16_t(iRet));
    QVERIFY(!exchange.bCommFault);
    QCOMPARE(exchange.sReply, reply);
    port.Close();
    QCOMPARE(sim.Received(), QList<QByteArray>{command.toLatin1()});
}

void TestExchange::replyNearTheLimitSucceeds()
{
    SimProcess sim({"--late", "04", "--delay", "1500"});
    QVERIFY(sim.Started());
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(sim.Path(), &reason));
    platform::Stopwatch clock;
    dmxlink::Exchange exchange(port, clock);
    const StallWatch stalls;
    platform::Stopwatch sw;
    exchange.LSComPrg(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength);
    const int32_t elapsed = sw.Read();
    CVDMX_SKIP_IF_HELD_UP(stalls, exchange.bCommFault, 400);
    QVERIFY(!exchange.bCommFault);
    QCOMPARE(exchange.sReply, kRevisionReply);
    QVERIFY2(elapsed >= 1450, qPrintable(QString::number(elapsed)));
}

void TestExchange::oneCharacterShortTimesOutAndIsDiscardedNext()
{
    SimProcess sim({"--short", "04"});
    QVERIFY(sim.Started());
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(sim.Path(), &reason));
    platform::Stopwatch clock;
    dmxlink::Exchange exchange(port, clock);
    exchange.sReply = QStringLiteral("earlier reply");

    platform::Stopwatch sw;
    exchange.LSComPrg(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength);
    QVERIFY(exchange.bCommFault);
    QVERIFY(sw.Read() >= dmxlink::Exchange::kLimitMs);
    QCOMPARE(exchange.sReply, QStringLiteral("earlier reply"));
    QCOMPARE(port.InBufferCount(), 19);

    exchange.LSComPrg(dmxlink::kChecksumCommand, dmxlink::kChecksumReplyLength);
    QVERIFY(!exchange.bCommFault);
    QCOMPARE(exchange.sReply, kResetChecksumReply);
}

void TestExchange::staleCharactersBeforeTheSendAreDiscarded()
{
    SimProcess sim({"--late", "04", "--delay", "300"});
    QVERIFY(sim.Started());
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(sim.Path(), &reason));
    platform::Stopwatch clock;
    dmxlink::Exchange exchange(port, clock);
    // With iRet 0 the exchange ends at once; the reply then comes in unasked.
    exchange.LSComPrg(dmxlink::kFirmRevCommand, 0);
    QVERIFY(!exchange.bCommFault);
    QCOMPARE(exchange.sReply, QString());
    QTRY_COMPARE(port.InBufferCount(), 20);

    exchange.LSComPrg(dmxlink::kChecksumCommand, dmxlink::kChecksumReplyLength);
    QVERIFY(!exchange.bCommFault);
    QCOMPARE(exchange.sReply, kResetChecksumReply);
}

void TestExchange::lineDroppedEndsExchangeAsTimeout()
{
    SimProcess sim({"--drop-at", "0"});
    QVERIFY(sim.Started());
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(sim.Path(), &reason));
    platform::Stopwatch clock;
    dmxlink::Exchange exchange(port, clock);
    exchange.sReply = QStringLiteral("kept");
    dmxlink::MapTable map{};
    platform::Stopwatch sw;
    exchange.LSComPrg(dmxlink::BlockFrame(map, 0), dmxlink::kBlockReplyLength);
    QVERIFY(exchange.bCommFault);
    QVERIFY2(sw.Read() < 1500, qPrintable(QString::number(sw.Read())));
    QCOMPARE(exchange.sReply, QStringLiteral("kept"));

    // The next exchange on the dead line fails at once too, without hanging.
    sw.Restart();
    exchange.LSComPrg(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength);
    QVERIFY(exchange.bCommFault);
    QVERIFY(sw.Read() < 1500);
    port.Close();
    QVERIFY(sim.Stop());
}

QTEST_MAIN(TestExchange)
#include "test_exchange.moc"
