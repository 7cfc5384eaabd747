#pragma once
#include <QByteArray>

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

} // namespace platform
