// cvdmxmap-screenshot: the editor's real window, offscreen, grabbed to a PNG file with a
// map loaded; and the sample map, made with the editor's own commands.
#include "editor/DocumentGlobals.h"
#include "editor/WindowIcon.h"
#include "editor/frmCVDMXMap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <cstdio>

using namespace modCVDMXMap;

namespace {

const char kUsage[]
    = "Usage: cvdmxmap-screenshot MAP PNG           grab the editor's window with MAP loaded\n"
      "       cvdmxmap-screenshot --screen MAP PNG  grab the whole screen with the window on it\n"
      "       cvdmxmap-screenshot --sample MAP        write the sample stage map to MAP\n"
      "Run it offscreen (QT_QPA_PLATFORM=offscreen), or for --screen on an X display such as\n"
      "Xvfb's, with HOME pointing at a scratch folder: the editor creates its working folder\n"
      "there.\n";

// How long a window may take to appear on the X display.
constexpr int kExposeLimitMs = 10000;

int Fail(const QString &message)
{
    std::fprintf(stderr, "cvdmxmap-screenshot: %s\n", message.toLocal8Bit().constData());
    return 1;
}

QString Reason(const MapFileError &error)
{
    return error.kind == MapFileError::NotValid ? QStringLiteral("Not A Valid Map File.") : error.reason;
}

// Chooses output for channel (counted from 0) through the chooser, as a left press does.
void Assign(frmCVDMXMap &w, int channel, int output)
{
    w.lblDimChan_MouseDown(channel, 1, 0, 0, 0);
    w.cboDimChan->SetListIndex(output + 1);
}

// Marks channels first..last with the right button, then presses a range command.
void OverRange(frmCVDMXMap &w, int first, int last, QPushButton *command)
{
    w.lblDimChan_MouseDown(first, 2, 0, 0, 0);
    w.lblDimChan_MouseDown(last, 2, 1, 0, 0);
    command->click();
}

// A small stage at device address 02 over six devices: front wash, back light, a
// cyclorama group sharing one output, house lights, and a few spares left unpatched.
int MakeSample(const QString &path)
{
    frmCVDMXMap w;
    w.ShowAndActivate();
    w.cboDevAdd->SetListIndex(1);
    w.cboDevRange->SetListIndex(5);
    Assign(w, 0, 0);
    OverRange(w, 0, 11, w.cmdMSSeq);
    Assign(w, 32, 12);
    OverRange(w, 32, 39, w.cmdMSSeq);
    Assign(w, 64, 20);
    OverRange(w, 64, 71, w.cmdMSCopy);
    Assign(w, 100, 21);
    OverRange(w, 100, 102, w.cmdMSSeq);
    OverRange(w, 5, 6, w.cmdMSClear);
    const MapFileError error = WriteMapFile(path);
    if (error.kind != MapFileError::None)
        return Fail(path + QStringLiteral(": ") + Reason(error));
    return 0;
}

// The map as File/Open shows it, with the cyclorama group marked.
bool ShowMap(frmCVDMXMap &w, const QString &mapPath)
{
    w.ShowAndActivate();
    const MapFileError error = ReadMapFile(mapPath);
    if (error.kind != MapFileError::None) {
        Fail(mapPath + QStringLiteral(": ") + Reason(error));
        return false;
    }
    w.ShowScreen();
    w.lblDimChan_MouseDown(64, 2, 0, 0, 0);
    w.lblDimChan_MouseDown(71, 2, 1, 0, 0);
    return true;
}

int Save(const QPixmap &picture, const QString &pngPath)
{
    if (!picture.save(pngPath, "PNG"))
        return Fail(pngPath + QStringLiteral(": cannot write the picture"));
    return 0;
}

int Grab(const QString &mapPath, const QString &pngPath)
{
    frmCVDMXMap w;
    if (!ShowMap(w, mapPath))
        return 1;
    QApplication::processEvents();
    return Save(w.grab(), pngPath);
}

// The screen as its user sees it once the window has appeared and painted.
int GrabScreen(const QString &mapPath, const QString &pngPath)
{
    frmCVDMXMap w;
    if (!ShowMap(w, mapPath))
        return 1;
    QElapsedTimer waited;
    waited.start();
    while (!w.windowHandle()->isExposed() && waited.elapsed() < kExposeLimitMs)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (!w.windowHandle()->isExposed())
        return Fail(QStringLiteral("the window did not appear on the display"));
    w.repaint();
    QApplication::processEvents();
    return Save(w.screen()->grabWindow(0), pngPath);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QRT Corvanta DMX Map"));
    QApplication::setWindowIcon(WindowIcon());
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--sample"))
        return MakeSample(args[1]);
    if (args.size() == 3 && args[0] == QLatin1String("--screen"))
        return GrabScreen(args[1], args[2]);
    if (args.size() == 2 && !args[0].startsWith(QLatin1Char('-')))
        return Grab(args[0], args[1]);
    std::fputs(kUsage, args.contains(QLatin1String("--help")) ? stdout : stderr);
    return args.contains(QLatin1String("--help")) ? 0 : 2;
}
