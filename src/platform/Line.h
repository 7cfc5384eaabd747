#pragma once
#include "platform/ComPorts.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace platform {

// What the controller exchange needs of a serial line. The serial port implements it for
// real lines; tests give the exchange a scripted line instead.
class Line {
public:
    virtual ~Line() = default;

    // Sends every byte and waits until they are sent; false when the line fails.
    virtual bool Output(const QByteArray &bytes) = 0;
    // The number of received bytes waiting.
    virtual int InBufferCount() = 0;
    // All received bytes waiting; they are removed.
    virtual QByteArray Input() = 0;
    // Returns at once when bytes arrived since the last count; otherwise waits until more
    // arrive or timeoutMs passes. False once the line has failed.
    virtual bool WaitForInput(int timeoutMs) = 0;
    // False after the line failed (device gone, read or write error).
    virtual bool LineOk() const = 0;
};

// A serial port: a line that is opened on a device, with DTR, and closed again. CommPort
// names the port the user chose; its device is looked up when the port is opened.
class Port : public Line {
public:
    ComPort CommPort() const { return commPort_; }
    void SetCommPort(ComPort port) { commPort_ = port; }

    // Fails, with the reason in *reason, for a device that cannot be used.
    virtual bool Open(const QString &device, QString *reason) = 0;
    virtual bool PortOpen() const = 0;
    // Nothing when the port is closed.
    virtual void Close() = 0;
    // A device without modem-control lines counts as success.
    virtual bool SetDTREnable(bool on, QString *reason) = 0;

private:
    ComPort commPort_;
};

// The exchange's millisecond stopwatch: restarted after each send, read while waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Restart() = 0;
    virtual int32_t Read() const = 0;
};

} // namespace platform
