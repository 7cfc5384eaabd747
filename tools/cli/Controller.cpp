#include "Controller.h"

#include "Output.h"
#include "PortDevice.h"
#include "link/Protocol.h"

#include <QFile>
#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace cli {

namespace {

// The usual reason for EACCES on a serial device on Linux.
QString PermissionHint(const QString &device)
{
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return QString();
    const passwd *user = ::getpwuid(::getuid());
    const QString name = user ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("$USER");
    return QStringLiteral(" (the user may need to be in the dialout group: sudo usermod -aG dialout ") + name
        + QStringLiteral(", then log in again)");
}

} // namespace

bool Controller::Open(const QString &port)
{
    const QString device = PortDevice(port).value_or(port);
    where_ = device == port ? device : port.toUpper() + QStringLiteral(" (") + device + QLatin1Char(')');
    QString reason;
    if (port_.Open(device, &reason) && port_.SetDTREnable(true, &reason))
        return true;
    port_.Close();
    Error(where_ + QStringLiteral(": cannot use the port: ") + reason + PermissionHint(device));
    return false;
}

bool Controller::Ask(const QString &command, int16_t replyLength, const QString &what)
{
    exchange_.LSComPrg(command, replyLength);
    if (!exchange_.bCommFault)
        return true;
    ReportFault(what);
    return false;
}

void Controller::ReportFault(const QString &what) const
{
    if (!port_.LineOk())
        Error(where_ + QStringLiteral(": the line was lost while waiting for the reply to ") + what);
    else
        Error(where_ + QStringLiteral(": no complete reply to ") + what
              + QStringLiteral(" within %1 ms").arg(dmxlink::Exchange::kLimitMs));
}

QString Controller::ReplyChecksum() const
{
    return exchange_.sReply.mid(dmxlink::kChecksumPos, dmxlink::kChecksumDigits);
}

} // namespace cli
