#pragma once
#include "platform/SerialPort.h"

#include <QByteArray>
#include <QString>

// A pseudo-terminal whose controlling end the test holds, for talking to a
// SerialPort opened on the other end.
class PtyPair {
public:
    PtyPair();
    bool Ok() const { return master_.Valid(); }
    QString SlavePath() const { return path_; }
    int Master() const { return master_.Get(); }

    void Write(const QByteArray &bytes) const;
    // Reads until n bytes have arrived or timeoutMs has passed.
    QByteArray Read(int n, int timeoutMs = 2000) const;
    void CloseMaster() { master_.Reset(); }

private:
    platform::UniqueFd master_;
    QString path_;
};
