#include "kit/TempHome.h"

#include <QDir>
#include <QFile>

TempHome::TempHome(const QString &parent)
    : dir_(parent.isEmpty() ? QDir::tempPath() + QStringLiteral("/home-XXXXXX")
                            : parent + QStringLiteral("/home-XXXXXX")),
      oldHome_(qgetenv("HOME"))
{
    qputenv("HOME", QFile::encodeName(dir_.path()));
}

TempHome::~TempHome()
{
    qputenv("HOME", oldHome_);
}

void TempHome::WriteSettings(const QByteArray &bytes) const
{
    QDir().mkpath(WorkFolder());
    QFile f(SettingsFile());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempHome::ReadSettings() const
{
    QFile f(SettingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
