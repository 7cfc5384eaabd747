#pragma once
#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>

namespace platform {

// A pseudo-terminal seen from the controller's side: the program holds the master end and
// gives Path(), the other end, to a serial port. That end is held open here too and set
// raw, so the line stays up and echoes nothing while no port has it open.
class PseudoTerminal {
public:
    PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // False when no pseudo-terminal could be had; Error() tells why.
    bool Ok() const { return master_.Valid(); }
    const QString &Error() const { return error_; }
    QString Path() const { return path_; }
    int Master() const { return master_.Get(); }

    // Writes bytes towards the port, waiting while it takes nothing, at most timeoutMs in
    // all; returns how many it wrote.
    qsizetype Write(const QByteArray &bytes, int timeoutMs) const;
    // What the port sent, until n bytes have come or timeoutMs has passed.
    QByteArray Read(int n, int timeoutMs) const;
    // Closes both ends: a port that has the line open sees it gone.
    void HangUp();

private:
    UniqueFd master_;
    UniqueFd slave_;
    QString path_;
    QString error_;
};

} // namespace platform
