#include "Command.h"
#include "Output.h"
#include "Status.h"
#include "document/modCVDMXMap.h"
#include "platform/ComPorts.h"
#include "platform/Profile.h"
#include "platform/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace cli {

namespace {

using platform::ComPort;

int UsageError(const QString &message)
{
    Error(QStringLiteral("ports: ") + message + QStringLiteral(" (see cvdmxmap-cli ports --help)"));
    return kUsage;
}

QString StateText(const platform::DeviceState &state)
{
    if (state.usable)
        return QStringLiteral("present, usable");
    return state.present ? QStringLiteral("present, ") + state.problem : state.problem;
}

// The stable name of device, when it is a node that has one, as advice.
void SuggestStableName(const ComPort &port, const QString &device, const std::vector<platform::SerialDevice> &devices)
{
    const QString stable = platform::StableName(device, devices);
    if (!stable.isEmpty() && stable != device)
        Out(QStringLiteral("      %1 is %2, a name that stays when the adapter is plugged in again: "
                           "cvdmxmap-cli ports --set %3=%2")
                .arg(device, stable, port.Name()));
}

// The first control character of a device path, which would end the settings line.
std::optional<int> ControlCharacterAt(const QString &device)
{
    for (int i = 0; i < device.size(); ++i) {
        if (device[i].unicode() < 0x20 || device[i].unicode() == 0x7F)
            return i;
    }
    return std::nullopt;
}

int ListPorts(const QString &settings)
{
    // What the editor would take from a settings file it cannot read: the defaults below.
    QString reason;
    const bool readable = platform::ReadProfileFile(settings, &reason).has_value();
    const std::vector<platform::SerialDevice> devices = platform::ListSerialDevices();
    Out(QStringLiteral("Settings file: ") + settings);
    int width = 0;
    for (int i = 0; i < ComPort::kCount; ++i)
        width = std::max(width, int(ComPort::FromIndex(i).Device(settings).size()));
    for (int i = 0; i < ComPort::kCount; ++i) {
        const ComPort port = ComPort::FromIndex(i);
        const QString device = port.Device(settings);
        const QString source
            = port.ConfiguredDevice(settings) ? QStringLiteral("settings file") : QStringLiteral("default");
        Out(port.Name() + QStringLiteral("  ") + device.leftJustified(width) + QStringLiteral("  ")
            + source.leftJustified(13) + QStringLiteral("  ") + StateText(platform::ProbeDevice(device)));
        SuggestStableName(port, device, devices);
    }
    Out(QString());
    if (devices.empty()) {
        Out(
            QStringLiteral("Serial devices on this machine: none in /dev/serial/by-id, no /dev/ttyUSB* or "
                           "/dev/ttyACM*"));
    } else {
        Out(QStringLiteral("Serial devices on this machine:"));
        for (const platform::SerialDevice &d : devices)
            Out(QStringLiteral("  ") + d.path + (d.target.isEmpty() ? QString() : QStringLiteral(" -> ") + d.target));
    }
    if (readable)
        return kOk;
    Error(settings + QStringLiteral(": cannot read the settings file (") + reason
          + QStringLiteral("); COM1 .. COM8 stand for their defaults"));
    return kFileError;
}

int SetPort(const QString &word, const QString &settings)
{
    const int equals = word.indexOf(QLatin1Char('='));
    const std::optional<ComPort> port = ComPort::FromName(word.left(equals));
    const QString device = equals < 0 ? QString() : word.mid(equals + 1);
    if (!port || !device.contains(QLatin1Char('/')))
        return UsageError(QStringLiteral("--set takes COMn=PATH, COM1 .. COM8 and a device path, not ") + word);
    if (const std::optional<int> at = ControlCharacterAt(device))
        return UsageError(
            QStringLiteral("the device path holds control character 0x%1 at position %2")
                .arg(QString::number(device[*at].unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0')))
                .arg(*at + 1));
    QDir().mkpath(QFileInfo(settings).path());
    QString reason;
    if (!port->SetDevice(device, settings, &reason)) {
        Error(settings + QStringLiteral(": cannot write the settings file (") + reason + QLatin1Char(')'));
        return kFileError;
    }
    Out(port->Name() + QStringLiteral(" is now ") + device);
    const platform::DeviceState state = platform::ProbeDevice(device);
    if (!state.usable)
        Out(QStringLiteral("      ") + device + QStringLiteral(": ") + StateText(state));
    SuggestStableName(*port, device, platform::ListSerialDevices());
    return kOk;
}

int UnsetPort(const QString &word, const QString &settings)
{
    const std::optional<ComPort> port = ComPort::FromName(word);
    if (!port)
        return UsageError(QStringLiteral("--unset takes COM1 .. COM8, not ") + word);
    QString reason;
    if (!port->ClearDevice(settings, &reason)) {
        Error(settings + QStringLiteral(": cannot write the settings file (") + reason + QLatin1Char(')'));
        return kFileError;
    }
    Out(port->Name() + QStringLiteral(" is back to ") + port->Device(settings));
    return kOk;
}

} // namespace

int RunPorts(Job &job)
{
    const QString settings = modCVDMXMap::SettingsFilePath();
    if (!job.set.isEmpty() && !job.unset.isEmpty())
        return UsageError(QStringLiteral("--set and --unset do not go together"));
    if (!job.set.isEmpty())
        return SetPort(job.set, settings);
    if (!job.unset.isEmpty())
        return UnsetPort(job.unset, settings);
    return ListPorts(settings);
}

} // namespace cli
