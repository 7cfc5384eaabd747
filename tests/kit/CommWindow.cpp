#include "kit/CommWindow.h"

#include "toolkit/MsgBox.h"

#include <QEvent>

bool AtRest(const frmCVDMXMapComm &w)
{
    return w.cboComPort->isEnabled() && w.cmdDownload->isEnabled() && w.cmdFirmRev->isEnabled()
        && w.cmdClose->isEnabled() && w.pbDL->isHidden() && !w.comDev().PortOpen();
}

CommDocument HeldDocument::Document()
{
    return {[this]() -> const MapTable & { return map; }, [this] { return port; },
            [this](int16_t chosen) {
                port = chosen;
                remembered.append(chosen);
            }};
}

CommWindowLog::CommWindowLog(frmCVDMXMapComm &w) : w_(w)
{
    names_ = {{w.cboComPort, "cboComPort"},
              {w.cmdDownload, "cmdDownload"},
              {w.cmdFirmRev, "cmdFirmRev"},
              {w.cmdClose, "cmdClose"},
              {w.pbDL, "pbDL"}};
    for (auto it = names_.cbegin(); it != names_.cend(); ++it)
        it.key()->installEventFilter(this);
    connect(w.pbDL, &QProgressBar::valueChanged, this, [this](int v) { Log(QStringLiteral("pbDL %1").arg(v)); });
    toolkit::SetMsgBoxResponder([this](const QString &text, int buttons, const QString &title) {
        boxes.append({text, buttons, title});
        Log(QStringLiteral("box ") + title);
        return int(toolkit::vbOK);
    });
}

CommWindowLog::~CommWindowLog()
{
    toolkit::SetMsgBoxResponder({});
}

bool CommWindowLog::eventFilter(QObject *o, QEvent *e)
{
    const QString name = names_.value(o);
    switch (e->type()) {
    case QEvent::EnabledChange:
        Log(name + (static_cast<QWidget *>(o)->isEnabled() ? " enabled" : " disabled"));
        break;
    case QEvent::ShowToParent:
        Log(name + " shown");
        break;
    case QEvent::HideToParent:
        Log(name + " hidden");
        break;
    case QEvent::Paint:
        if (o == w_.pbDL && (paintedValues.isEmpty() || paintedValues.last() != w_.pbDL->value()))
            paintedValues.append(w_.pbDL->value());
        break;
    default:
        break;
    }
    return false;
}

void CommWindowLog::Log(const QString &what)
{
    log.append(what + (w_.comDev().PortOpen() ? " [open]" : " [closed]"));
}

QStringList DownloadLog(int lastBlock, const QString &boxTitle, bool portOpen)
{
    QStringList log{"cboComPort disabled [open]",
                    "cmdDownload disabled [open]",
                    "cmdFirmRev disabled [open]",
                    "cmdClose disabled [open]",
                    "pbDL 0 [open]",
                    "pbDL shown [open]"};
    for (int b = 1; b <= lastBlock; ++b)
        log << QStringLiteral("pbDL %1 [open]").arg(b);
    const QString port = portOpen ? QStringLiteral(" [open]") : QStringLiteral(" [closed]");
    log << "box " + boxTitle + port;
    for (const char *name :
         {"pbDL hidden", "cboComPort enabled", "cmdDownload enabled", "cmdFirmRev enabled", "cmdClose enabled"})
        log << QLatin1String(name) + port;
    return log;
}
