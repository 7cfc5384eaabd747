#pragma once
#include <QString>
#include <vector>

// The serial devices a machine has, for a user looking for the one an adapter became.
namespace platform {

struct SerialDevice {
    QString path;   // /dev/serial/by-id/..., or a node such as /dev/ttyUSB0
    QString target; // the node a by-id name points to; empty for a node
};

// The stable names under serial/by-id (each with its node), then the USB and ACM nodes
// (ttyUSB*, ttyACM*), each group sorted; devRoot is /dev but for tests.
std::vector<SerialDevice> ListSerialDevices(const QString &devRoot = QStringLiteral("/dev"));

// The by-id name that points to node, or empty: unlike the node, it stays the same when
// the adapter is plugged in again or elsewhere.
QString StableName(const QString &node, const std::vector<SerialDevice> &devices);

// Whether a device is there and this user may open it for reading and writing.
struct DeviceState {
    bool present = false;
    bool usable = false;
    QString problem; // why not, in words: "missing", "not a device", "no UART", "no permission ..."
};
// A serial port node whose driver reports no UART behind it (the type in
// sysRoot/dev/char/MAJOR:MINOR/type is 0, as for the /dev/ttyS* nodes a machine has without
// the hardware) has "no UART"; sysRoot is /sys but for tests.
DeviceState ProbeDevice(const QString &path, const QString &sysRoot = QStringLiteral("/sys"));

// What lets this user open a device that refuses them, when joining the device's group
// would: "the user is not in the dialout group (sudo usermod -aG dialout $USER, then log in
// again)", with the device's own group. Empty when the user may open it, when the group
// may not read and write it, or when the user owns it or is already in the group.
QString PermissionAdvice(const QString &path);

} // namespace platform
