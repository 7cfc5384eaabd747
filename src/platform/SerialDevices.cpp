#include "platform/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

// Whether this process runs with gid among its groups.
bool InGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(count > 0 ? count : 0));
    if (count > 0 && ::getgroups(count, groups.data()) == count) {
        for (gid_t g : groups) {
            if (g == gid)
                return true;
        }
    }
    return false;
}

// The serial core gives each port the type of its UART, 0 (PORT_UNKNOWN) when there is
// none; a device that is not a serial core port has no such attribute.
bool UartAbsent(dev_t device, const QString &sysRoot)
{
    QFile type(sysRoot + QStringLiteral("/dev/char/%1:%2/type").arg(major(device)).arg(minor(device)));
    constexpr qint64 kTypeTextLimit = 16;
    return type.open(QIODevice::ReadOnly) && type.read(kTypeTextLimit).trimmed() == "0";
}

QString GroupName(gid_t gid)
{
    const group *g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

} // namespace

std::vector<SerialDevice> ListSerialDevices(const QString &devRoot)
{
    std::vector<SerialDevice> devices;
    const QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (link.isSymLink())
            devices.push_back({link.absoluteFilePath(), QFileInfo(link.symLinkTarget()).absoluteFilePath()});
    }
    const QDir dev(devRoot);
    for (const QFileInfo &node : dev.entryInfoList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                                   QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        devices.push_back({node.absoluteFilePath(), QString()});
    return devices;
}

QString StableName(const QString &node, const std::vector<SerialDevice> &devices)
{
    const QString canonical = QFileInfo(node).canonicalFilePath();
    for (const SerialDevice &d : devices) {
        if (!d.target.isEmpty() && (d.target == node || (!canonical.isEmpty() && d.target == canonical)))
            return d.path;
    }
    return QString();
}

DeviceState ProbeDevice(const QString &path, const QString &sysRoot)
{
    DeviceState state;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        state.problem = errno == ENOENT ? QStringLiteral("missing") : QString::fromLocal8Bit(std::strerror(errno));
        return state;
    }
    state.present = true;
    if (!S_ISCHR(st.st_mode)) {
        state.problem = QStringLiteral("not a device");
        return state;
    }
    if (UartAbsent(st.st_rdev, sysRoot)) {
        state.problem = QStringLiteral("no UART");
        return state;
    }
    if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0) {
        state.usable = true;
        return state;
    }
    state.problem = QStringLiteral("no permission");
    const QString advice = PermissionAdvice(path);
    if (!advice.isEmpty())
        state.problem += QStringLiteral(": ") + advice;
    return state;
}

QString PermissionAdvice(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0 || ::access(name.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return QString();
    // The owner's bits apply to the owner whatever the group's are.
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    if ((st.st_mode & kGroupReadWrite) != kGroupReadWrite || st.st_uid == ::getuid() || InGroup(st.st_gid))
        return QString();
    return QStringLiteral("the user is not in the %1 group (sudo usermod -aG %1 $USER, then log in again)")
        .arg(GroupName(st.st_gid));
}

} // namespace platform
