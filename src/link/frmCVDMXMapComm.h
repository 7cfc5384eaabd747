#pragma once
#include "link/Exchange.h"
#include "platform/ComboList.h"
#include "platform/Dialog.h"
#include "platform/SerialPort.h"

#include <QProgressBar>
#include <QPushButton>

// The communications window: the port choice, the map download and the firmware query.
// Created once; every Show() loads it afresh and shows it modally. It closes through
// "Close" or its title bar only.
class frmCVDMXMapComm : public platform::Dialog {
    Q_OBJECT
public:
    explicit frmCVDMXMapComm(QWidget *parent = nullptr);

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
    platform::ComboList *cboComPort;
    QProgressBar *pbDL;
    QPushButton *cmdFirmRev;
    platform::SerialPort comDev;

private:
    dmxlink::Exchange exchange_{comDev};

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
