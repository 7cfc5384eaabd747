#pragma once
#include "comm/CommDocument.h"
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"
#include "toolkit/ComboList.h"
#include "toolkit/Dialog.h"

#include <QProgressBar>
#include <QPushButton>
#include <memory>

// The communications window: the port choice, the map download and the firmware query,
// on the document it is given. Created once; every Show() loads it afresh and shows it
// modally. It closes through "Close" or its title bar only.
class frmCVDMXMapComm : public toolkit::Dialog {
    Q_OBJECT
public:
    // The window talks through its own serial port and stopwatch, or through port and
    // clock when given (tests give a scripted line).
    explicit frmCVDMXMapComm(CommDocument document, QWidget *parent = nullptr, platform::Port *port = nullptr,
                             platform::Clock *clock = nullptr);

    // Loads the window and shows it modally; returns when it has been closed.
    void Show();
    // Closes the window if it is loaded; nothing otherwise.
    void Unload();
    bool IsLoaded() const { return loaded_; }

    void Form_Load();
    void cboComPort_Click();
    void cmdDownload_Click();
    void cmdFirmRev_Click();
    void cmdClose_Click();
    void LSComPrg(const QString &sCmd, const int16_t &iRet);

    // In tab order.
    QPushButton *cmdClose;
    QPushButton *cmdDownload;
    toolkit::ComboList *cboComPort;
    QProgressBar *pbDL;
    QPushButton *cmdFirmRev;
    // The serial port: the window's own, or the one it was given. Looked up at each use,
    // like the stopwatch, so that no member depends on the order the others are built in.
    platform::Port &comDev() { return givenPort_ ? *givenPort_ : *ownPort_; }
    const platform::Port &comDev() const { return givenPort_ ? *givenPort_ : *ownPort_; }

    // The result of the last exchange: the reply of the last one in time, and whether the
    // last one faulted.
    QString sReply;
    bool bCommFault = false;

protected:
    void done(int result) override;

private:
    platform::Clock &Stopwatch() { return givenClock_ ? *givenClock_ : ownClock_; }
    bool OpenPort();
    void CommFaultReport();
    void SetBarValue(int value);
    void SetBarVisible(bool visible);
    void EnableControls(bool enabled);

    CommDocument document_;
    platform::Port *givenPort_;
    platform::Clock *givenClock_;
    std::unique_ptr<platform::SerialPort> ownPort_; // when no port was given
    platform::Stopwatch ownClock_;
    bool loaded_ = false;
};
