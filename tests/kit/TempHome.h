#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points HOME at a fresh temporary folder for the lifetime of the object, made in the
// system's temporary folder or in parent.
class TempHome {
public:
    explicit TempHome(const QString &parent = QString());
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    QString Path() const { return dir_.path(); }
    QString WorkFolder() const { return Path() + QStringLiteral("/QRT Corvanta DMX Map"); }
    QString SettingsFile() const { return WorkFolder() + QStringLiteral("/QRT Corvanta DMX Map.ini"); }

    // Creates the working folder and writes the settings file with these bytes.
    void WriteSettings(const QByteArray &bytes) const;
    QByteArray ReadSettings() const;

private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
};
