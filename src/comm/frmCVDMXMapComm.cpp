#include "comm/frmCVDMXMapComm.h"

#include "document/modCVDMXMap.h"
#include "link/Download.h"
#include "link/Exchange.h"
#include "platform/ComPorts.h"
#include "toolkit/CallTrace.h"
#include "toolkit/MsgBox.h"
#include "toolkit/OuterSize.h"
#include "toolkit/Palette.h"
#include "toolkit/Twips.h"

#include <QScreen>

namespace {

// The layout is given in twips.
QRect Twips(int left, int top, int width, int height)
{
    using toolkit::kTwipsPerPixel;
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}

const QString kChecksumFaultText
    = QStringLiteral("Download Failed.\r\nChecksum Fault.\r\nDevice Will NOT Function Properly.");

} // namespace

frmCVDMXMapComm::frmCVDMXMapComm(CommDocument document, QWidget *parent, platform::Port *port, platform::Clock *clock)
    : toolkit::Dialog(parent),
      cmdClose(new QPushButton(QStringLiteral("Close"), this)),
      cmdDownload(new QPushButton(QStringLiteral("Download"), this)),
      cboComPort(new toolkit::ComboList(this)),
      pbDL(new QProgressBar(this)),
      cmdFirmRev(new QPushButton(QStringLiteral("Firmware Revision"), this)),
      document_(std::move(document)),
      givenPort_(port),
      givenClock_(clock),
      ownPort_(port ? nullptr : std::make_unique<platform::SerialPort>())
{
    setWindowTitle(QStringLiteral("Communications"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(297, 97);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toolkit::kWindowGrey);
    setPalette(pal);
    setAutoFillBackground(true);

    cmdClose->setGeometry(Twips(3360, 960, 975, 375));
    cmdDownload->setGeometry(Twips(1200, 120, 975, 360));
    cboComPort->setGeometry(Twips(120, 120, 975, 360));
    QFont listFont(QStringLiteral("MS Sans Serif"));
    listFont.setPixelSize(13);
    cboComPort->setFont(listFont);
    pbDL->setGeometry(Twips(120, 600, 4215, 195));
    pbDL->setRange(0, dmxlink::kBlocks - 1);
    pbDL->setTextVisible(false);
    pbDL->setVisible(false);
    cmdFirmRev->setGeometry(Twips(120, 960, 1695, 375));
    for (QPushButton *b : {cmdClose, cmdDownload, cmdFirmRev})
        b->setAutoDefault(false);

    cboComPort->SetClickHandler([this] { cboComPort_Click(); });
    connect(cmdDownload, &QPushButton::clicked, this, [this] { cmdDownload_Click(); });
    connect(cmdFirmRev, &QPushButton::clicked, this, [this] { cmdFirmRev_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

void frmCVDMXMapComm::Show()
{
    Form_Load();
    exec();
}

void frmCVDMXMapComm::Unload()
{
    if (loaded_)
        done(QDialog::Rejected);
}

void frmCVDMXMapComm::done(int result)
{
    loaded_ = false;
    QDialog::done(result);
}

void frmCVDMXMapComm::Form_Load()
{
    CVDMX_TRACE("frmCVDMXMapComm.Form_Load");
    loaded_ = true;
    const QRect screen = this->screen()->geometry();
    const QSize outer = toolkit::OuterSize(this);
    move(screen.left() + (screen.width() - outer.width()) / 2, screen.top() + (screen.height() - outer.height()) / 2);
    cboComPort->Clear();
    for (int i = 0; i < platform::ComPort::kCount; ++i)
        cboComPort->AddItem(platform::ComPort::FromIndex(i).Name());
    cboComPort->SetListIndex(document_.comPort());
    comDev().SetCommPort(platform::ComPort::FromIndex(cboComPort->ListIndex()));
    SetBarVisible(false);
    EnableControls(true);
    cmdClose->setFocus();
}

void frmCVDMXMapComm::cboComPort_Click()
{
    CVDMX_TRACE("frmCVDMXMapComm.cboComPort_Click");
    const int16_t port = int16_t(cboComPort->ListIndex());
    comDev().SetCommPort(platform::ComPort::FromIndex(port));
    document_.rememberComPort(port);
}

void frmCVDMXMapComm::cmdDownload_Click()
{
    CVDMX_TRACE("frmCVDMXMapComm.cmdDownload_Click");
    if (!OpenPort())
        return;
    EnableControls(false);
    SetBarValue(0);
    SetBarVisible(true);
    const auto exchange = [this](const QString &sCmd, int16_t iRet) {
        LSComPrg(sCmd, iRet);
        return dmxlink::ExchangeResult{bCommFault, sReply};
    };
    const dmxlink::DownloadResult result
        = dmxlink::DownloadMap(exchange, document_.map(), [this](int b) { SetBarValue(b); });
    if (result == dmxlink::DownloadResult::CommFault) {
        CommFaultReport();
        return;
    }
    if (result == dmxlink::DownloadResult::ChecksumFault) {
        toolkit::MsgBox(kChecksumFaultText, toolkit::vbCritical, QStringLiteral("Download Failure"));
        SetBarVisible(false);
        EnableControls(true);
        comDev().Close();
        return;
    }
    comDev().Close();
    toolkit::MsgBox(QStringLiteral("Download Complete"), toolkit::vbOKOnly, QStringLiteral("Downlaod"));
    SetBarVisible(false);
    EnableControls(true);
}

void frmCVDMXMapComm::cmdFirmRev_Click()
{
    CVDMX_TRACE("frmCVDMXMapComm.cmdFirmRev_Click");
    if (!OpenPort())
        return;
    LSComPrg(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength);
    if (bCommFault) {
        CommFaultReport();
        return;
    }
    comDev().Close();
    toolkit::MsgBox(dmxlink::FirmRevText(sReply), toolkit::vbInformation, QStringLiteral("Device Firmware Revision"));
}

void frmCVDMXMapComm::cmdClose_Click()
{
    CVDMX_TRACE("frmCVDMXMapComm.cmdClose_Click");
    Unload();
}

void frmCVDMXMapComm::LSComPrg(const QString &sCmd, const int16_t &iRet)
{
    const dmxlink::ExchangeResult result = dmxlink::Exchange(comDev(), Stopwatch()).Run(sCmd, iRet);
    bCommFault = result.fault;
    if (!bCommFault)
        sReply = result.reply;
}

// Opens the chosen port with DTR on; reports a port that cannot be used and leaves
// it closed. Nothing has been sent and no control changed at that point.
bool frmCVDMXMapComm::OpenPort()
{
    QString reason;
    const QString device = comDev().CommPort().Device(modCVDMXMap::SettingsFilePath());
    if (comDev().Open(device, &reason) && comDev().SetDTREnable(true, &reason))
        return true;
    comDev().Close();
    toolkit::MsgBox(QStringLiteral("Invalid COM Port."), toolkit::vbExclamation, QStringLiteral("COM Error"));
    return false;
}

void frmCVDMXMapComm::CommFaultReport()
{
    toolkit::MsgBox(QStringLiteral("Comm Fault"), toolkit::vbCritical, QStringLiteral("Fault"));
    SetBarVisible(false);
    EnableControls(true);
    comDev().Close();
}

// The download processes no events, so every change is painted at once.
void frmCVDMXMapComm::SetBarValue(int value)
{
    pbDL->setValue(value);
    pbDL->repaint();
}

void frmCVDMXMapComm::SetBarVisible(bool visible)
{
    pbDL->setVisible(visible);
    if (visible)
        pbDL->repaint();
    else
        repaint(pbDL->geometry());
}

void frmCVDMXMapComm::EnableControls(bool enabled)
{
    for (QWidget *w : {static_cast<QWidget *>(cboComPort), static_cast<QWidget *>(cmdDownload),
                       static_cast<QWidget *>(cmdFirmRev), static_cast<QWidget *>(cmdClose)}) {
        w->setEnabled(enabled);
        w->repaint();
    }
}
