#pragma once
#include "comm/frmCVDMXMapComm.h"
#include "kit/Maps.h"
#include "kit/MsgBoxScript.h"

#include <QHash>
#include <QStringList>

// The four controls enabled, the bar hidden and the port closed: the window at rest.
bool AtRest(const frmCVDMXMapComm &w);

// A document of a test's own for the communications window: the map to send, the port
// chosen last, and every port the window asked to remember, in order.
struct HeldDocument {
    MapTable map{};
    int16_t port = 0;
    QList<int16_t> remembered;

    CommDocument Document();
};

// Records, in order, what the communications window does to its controls and the message
// boxes it shows (each answered OK), each with the port's state at that moment:
// "cmdDownload disabled [open]", "pbDL 3 [open]", "box Fault [open]"...
class CommWindowLog : public QObject {
public:
    explicit CommWindowLog(frmCVDMXMapComm &w);
    ~CommWindowLog() override;

    QStringList log;
    QList<ShownBox> boxes;
    // The bar's values as painted, each once.
    QList<int> paintedValues;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void Log(const QString &what);

    frmCVDMXMapComm &w_;
    QHash<QObject *, QString> names_;
};

// What the log holds for a download: the controls disabled and the bar shown, blocks 1
// to lastBlock, the report box titled boxTitle, the controls back. portOpen: whether the
// port is still open when the box shows and the controls come back.
QStringList DownloadLog(int lastBlock, const QString &boxTitle, bool portOpen);
