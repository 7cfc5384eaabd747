// Any bytes as the settings file, through the editor's start-up (LoadSettings, then
// CheckComPort: a port outside COM1..COM8 becomes COM1) and the port list (SaveSettings). The port saved
// is the one the next start-up loads, and a start-up that finds a valid port leaves the
// file as it is.
#include "Check.h"
#include "document/modCVDMXMap.h"
#include "editor/DocumentGlobals.h"
#include "kit/TempHome.h"

#include <QDir>
#include <QFile>
#include <cstdint>

using namespace modCVDMXMap;

namespace {

QByteArray ReadSettingsFile()
{
    QFile f(SettingsFilePath());
    Require(f.open(QIODevice::ReadOnly), "the settings file is gone");
    return f.readAll();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static TempHome home(ScratchParent());
    Require(QDir().mkpath(home.WorkFolder()), "cannot create the working folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile f(SettingsFilePath());
        Require(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the settings file");
        Require(f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size),
                "short write of the settings file");
    }
    LoadSettings();
    CheckComPort();
    const int16_t port = iComPort;
    const QByteArray settled = ReadSettingsFile();

    iComPort = 42;
    LoadSettings();
    Require(iComPort == port, "the next start-up loads another port");
    Require(ReadSettingsFile() == settled, "loading a valid port changed the settings file");

    for (int16_t p = 0; p < 8; ++p) {
        iComPort = p;
        SaveSettings();
        iComPort = 42;
        LoadSettings();
        Require(iComPort == p, "the port saved is not the port loaded");
    }
    return 0;
}
