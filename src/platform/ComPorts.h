#pragma once
#include <QString>
#include <optional>

namespace platform {

// One of the serial ports COM1..COM8. The document keeps it as an index from 0,
// the port list shows it by name, and the settings file names its device.
class ComPort {
public:
    static constexpr int kCount = 8;

    // COM1.
    ComPort() = default;
    // The port at index 0..7 of the port list; index must lie in that range.
    static ComPort FromIndex(int index);
    // Exactly "COM1" .. "COM8" (the letters in any case); nothing for anything else, such as
    // "COM01", "COM+3", "COM 2" or "COM9".
    static std::optional<ComPort> FromName(const QString &name);

    int Index() const { return index_; }
    int Number() const { return index_ + 1; }
    QString Name() const;

    // The device: key "COMn" of section "Ports" of the settings file, or /dev/ttyS(n-1)
    // when that key is missing or empty. Read afresh at every call.
    QString Device(const QString &settingsPath) const;
    // The device the settings file names for the port, or nothing when it names none.
    std::optional<QString> ConfiguredDevice(const QString &settingsPath) const;
    // Points the port at device in section "Ports". False, with the reason in *reason when
    // given, when the file cannot be written.
    bool SetDevice(const QString &device, const QString &settingsPath, QString *reason = nullptr) const;
    // Takes the port's key out of section "Ports": it goes back to its default device.
    bool ClearDevice(const QString &settingsPath, QString *reason = nullptr) const;

    bool operator==(const ComPort &other) const { return index_ == other.index_; }
    bool operator!=(const ComPort &other) const { return index_ != other.index_; }

private:
    explicit ComPort(int index) : index_(index) {}
    int index_ = 0;
};

} // namespace platform
