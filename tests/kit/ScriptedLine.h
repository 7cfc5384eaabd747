#pragma once
#include "platform/Clock.h"
#include "platform/Port.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

// A serial port and its stopwatch that play a script instead of talking to a device. Each
// frame sent takes the next step of the script: the frame it expects, and what the line
// then does, at times counted from the send on a fake clock. Only WaitForInput moves the
// clock, straight to the next thing that happens, so a two-second time-out passes at once
// and every outcome is decided to the millisecond, with no margin.
class ScriptedLine : public platform::Port, public platform::Clock {
public:
    // Bytes that reach the port atMs after the frame was sent.
    struct Piece {
        int atMs = 0;
        QByteArray bytes;
    };
    struct Step {
        QByteArray frame;   // the frame expected
        QList<Piece> reply; // in order of time; none: silence
        bool writeFails = false;
        int hangUpAtMs = -1; // the line is lost this long after the send (-1: never)
    };
    using Script = QList<Step>;

    explicit ScriptedLine(Script script = {});

    // Opening fails with this reason (empty: it succeeds).
    void FailOpen(const QString &reason) { openFailure_ = reason; }
    // Raising DTR fails with this reason (empty: it succeeds).
    void FailDtr(const QString &reason) { dtrFailure_ = reason; }
    // The port holds at most this many received bytes; the rest waits in the "driver" and
    // moves up as the port is read, as on a serial port (default: no limit).
    void SetReceiveBuffer(int bytes) { bufferSize_ = bytes; }
    // Bytes that have reached the port already, before anything is sent.
    void Arrive(const QByteArray &bytes);

    // Every frame the port was given, byte for byte, a failed write included.
    const QList<QByteArray> &Sent() const { return sent_; }
    // What each Input() returned, in order.
    const QList<QByteArray> &Taken() const { return taken_; }
    // The device of each opening, in order.
    const QStringList &Opened() const { return opened_; }
    // Frames that were not the one the script expected, or came after its end.
    int Unexpected() const { return unexpected_; }
    // The fake time since the line was made, in milliseconds.
    int64_t Now() const { return now_; }

    bool Open(const QString &device, QString *reason) override;
    bool PortOpen() const override { return open_; }
    void Close() override;
    bool SetDTREnable(bool on, QString *reason) override;

    bool Output(const QByteArray &bytes) override;
    int InBufferCount() override;
    QByteArray Input() override;
    bool WaitForInput(int timeoutMs) override;
    bool LineOk() const override { return lineOk_; }

    void Restart() override { start_ = now_; }
    int32_t Read() const override { return int32_t(now_ - start_); }

private:
    struct Event {
        int64_t atMs;
        QByteArray bytes;
        bool hangUp;
    };
    // Takes in everything that has happened by now.
    void Deliver();
    int64_t NextEventAt() const;

    Script script_;
    QList<Event> events_; // pending, in order of time
    QByteArray driver_;   // arrived, beyond what the port holds
    QByteArray buffer_;   // what the port holds
    int bufferSize_ = -1;
    QList<QByteArray> sent_;
    QList<QByteArray> taken_;
    QStringList opened_;
    QString openFailure_;
    QString dtrFailure_;
    int unexpected_ = 0;
    bool open_ = false;
    bool lineOk_ = true;
    int64_t now_ = 0;
    int64_t start_ = 0;
};

// Script steps, as a controller behaves on one frame.
ScriptedLine::Step Answer(const QByteArray &frame, const QByteArray &reply, int atMs = 0);
ScriptedLine::Step Silent(const QByteArray &frame);
ScriptedLine::Step InPieces(const QByteArray &frame, const QList<ScriptedLine::Piece> &pieces);
ScriptedLine::Step HangsUp(const QByteArray &frame, int atMs);
ScriptedLine::Step WriteFails(const QByteArray &frame);
// reply one character at a time: the first firstMs after the send, then one every stepMs.
ScriptedLine::Step Trickles(const QByteArray &frame, const QByteArray &reply, int firstMs, int stepMs);
