#pragma once
#include "platform/Port.h"
#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace platform {

// A serial line on a POSIX terminal device: 38400 baud, 8 data bits, no parity,
// 1 stop bit, raw, no flow control, used exclusively while open.
// Received bytes are moved into a receive buffer of our own, so that a wait for
// more bytes can block in poll() while some are already waiting. Like the controller's
// serial control, the buffer holds 1024 bytes; what does not fit waits in the driver, so a
// device that floods the line cannot make the editor's memory grow.
class SerialPort : public Port {
public:
    static constexpr int kReceiveBufferSize = 1024;

    SerialPort() = default;
    ~SerialPort() override { Close(); }
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // Opens device with the line settings above. Fails, with the reason in *reason,
    // for a missing device, one that is not a terminal, one in use or without permission.
    bool Open(const QString &device, QString *reason) override;
    bool PortOpen() const override { return fd_.Valid(); }
    // Discards what a failed line still holds, releases exclusive use, then closes.
    // Nothing when the port is closed.
    void Close() override;

    // Raises (or drops) DTR. A device without modem-control lines counts as success.
    bool SetDTREnable(bool on, QString *reason) override;

    // Writes every byte, waiting while the device is busy, then waits until sent.
    // Fails when the line goes away or cannot take and send all the bytes within two
    // seconds of the call.
    bool Output(const QByteArray &bytes) override;
    // The number of received bytes waiting (at most kReceiveBufferSize).
    int InBufferCount() override;
    // All received bytes waiting in the receive buffer; they are removed.
    QByteArray Input() override;
    // Returns at once when bytes arrived since the last count; otherwise blocks in poll()
    // until more bytes arrive or timeoutMs passes (0: does not block).
    // Returns false once the line has failed (device gone, read error).
    bool WaitForInput(int timeoutMs) override;
    // False after a read, write or poll error on the open line.
    bool LineOk() const override { return lineOk_; }

    // The descriptor of the open device, -1 when closed.
    int Handle() const { return fd_.Get(); }

private:
    void Pump();

    UniqueFd fd_;
    QByteArray rx_;
    bool lineOk_ = true;
};

} // namespace platform
