#include "platform/Paths.h"

#include <QDir>

namespace platform {

QString LocalPath(const QString &fixedPath)
{
    QString rest = fixedPath;
    if (rest.startsWith(QLatin1String("C:\\"), Qt::CaseInsensitive))
        rest = rest.mid(3);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    if (home.isEmpty())
        home = QDir::homePath();
    if (!home.endsWith(QLatin1Char('/')))
        home += QLatin1Char('/');
    return home + rest;
}

} // namespace platform
