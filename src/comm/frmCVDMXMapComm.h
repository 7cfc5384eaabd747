#pragma once
#include "link/Exchange.h"
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"
#include "toolkit/ComboList.h"
#include "toolkit/Dialog.h"

#include <QProgressBar>
#include <QPushButton>
#include <memory>

// The communications window: the port choice, the map download and the firmware query.
// Created once; every Show() loads it afresh and shows it modally. It closes through
// "Close" or its title bar only.
class frmCVDMXMapComm : public toolkit::Dialog {
    Q_OBJECT
public:
    // The window talks through its own serial port and stopwatch, or through port and
    // clock when given (tests give a scripted line).
    explicit frmCVDMXMapComm(QWidget *parent = nullptr, platform::Port *port = nullptr,
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

private:
    std::unique_ptr<platform::SerialPort> ownPort_;
    platform::Stopwatch ownClock_;

public:
    platform::Port &comDev;

private:
    dmxlink::Exchange exchange_;

public:
    // The result of the last exchange.
    QString &sReply = exchange_.sReply;
    bool &bCommFault = exchange_.bCommFault;

protected:
    void done(int result) override;

private:
    bool OpenPort();
    void CommFaultReport();
    void SetBarValue(int value);
    void SetBarVisible(bool visible);
    void EnableControls(bool enabled);

    bool loaded_ = false;
};
