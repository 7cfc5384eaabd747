#pragma once
#include "link/Exchange.h"
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"

#include <QString>
#include <cstdint>

namespace cli {

// A controller on an open port, with DTR raised as the editor raises it.
class Controller {
public:
    // Opens the port; reports why when it cannot.
    bool Open(const QString &port);
    void Close() { port_.Close(); }
    // "COM1 (/dev/ttyS0)" or the device path, for messages.
    const QString &Where() const { return where_; }

    // Sends command and waits for replyLength characters; a reply in time becomes the last
    // reply.
    dmxlink::ExchangeResult Exchange(const QString &command, int16_t replyLength);
    // The same, reporting a time-out or a lost line.
    bool Ask(const QString &command, int16_t replyLength, const QString &what);
    // Reports the time-out or lost line that ended the exchange about what; after a
    // time-out, also what to check.
    void ReportFault(const QString &what) const;
    // Whether the last fault was a lost line rather than a time-out.
    bool LineLost() const { return !port_.LineOk(); }
    // The last reply that came in time.
    const QString &Reply() const { return reply_; }
    // The map checksum in the last reply.
    QString ReplyChecksum() const;

private:
    platform::SerialPort port_;
    platform::Stopwatch stopwatch_;
    QString where_;
    QString reply_;
};

} // namespace cli
