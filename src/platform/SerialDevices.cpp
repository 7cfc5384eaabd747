#include "platform/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
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

DeviceState ProbeDevice(const QString &path)
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
    if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0) {
        state.usable = true;
        return state;
    }
    state.problem = QStringLiteral("no permission");
    if ((st.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP) && !InGroup(st.st_gid))
        state.problem += QStringLiteral(
                             ": the user is not in the %1 group (sudo usermod -aG %1 $USER, then log in "
                             "again)")
                             .arg(GroupName(st.st_gid));
    return state;
}

} // namespace platform
