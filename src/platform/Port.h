#pragma once
#include "platform/ComPorts.h"
#include "platform/Line.h"

#include <QString>

namespace platform {

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

} // namespace platform
