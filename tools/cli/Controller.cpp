#include "Controller.h"

#include "Output.h"
#include "PortDevice.h"
#include "link/Protocol.h"
#include "platform/SerialDevices.h"

namespace cli {

bool Controller::Open(const QString &port)
{
    const QString device = PortDevice(port).value_or(port);
    where_ = device == port ? device : port.toUpper() + QStringLiteral(" (") + device + QLatin1Char(')');
    QString reason;
    if (port_.Open(device, &reason) && port_.SetDTREnable(true, &reason))
        return true;
    port_.Close();
    const QString advice = platform::PermissionAdvice(device);
    Error(where_ + QStringLiteral(": cannot use the port: ") + reason
          + (advice.isEmpty() ? QString() : QStringLiteral(": ") + advice));
    return false;
}

dmxlink::ExchangeResult Controller::Exchange(const QString &command, int16_t replyLength)
{
    const dmxlink::ExchangeResult result = dmxlink::Exchange(port_, stopwatch_).Run(command, replyLength);
    if (!result.fault)
        reply_ = result.reply;
    return result;
}

bool Controller::Ask(const QString &command, int16_t replyLength, const QString &what)
{
    if (!Exchange(command, replyLength).fault)
        return true;
    ReportFault(what);
    return false;
}

void Controller::ReportFault(const QString &what) const
{
    if (LineLost()) {
        Error(where_ + QStringLiteral(": the line was lost while waiting for the reply to ") + what);
        return;
    }
    Error(where_ + QStringLiteral(": no complete reply to ") + what
          + QStringLiteral(" within %1 ms").arg(dmxlink::Exchange::kLimitMs));
    Error(QStringLiteral("check that the controller is powered on, that its cable is plugged in at both ends, that ")
          + where_
          + QStringLiteral(" is the port the cable is on (cvdmxmap-cli ports lists them), and that its address and "
                           "range switches are set as the map's Device Address and Device Range"));
}

QString Controller::ReplyChecksum() const
{
    return reply_.mid(dmxlink::kChecksumPos, dmxlink::kChecksumDigits);
}

} // namespace cli
