#include "ScratchHome.h"

#include "Check.h"
#include "document/modCVDMXMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

QString UseScratchHome()
{
    static QTemporaryDir home;
    Require(home.isValid(), "no temporary folder");
    qputenv("HOME", QFile::encodeName(home.path()));
    Require(QDir().mkpath(modCVDMXMap::WorkFolderPath()), "cannot create the working folder");
    return home.path();
}
