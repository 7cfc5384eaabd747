#include "app/RunEditor.h"

#include "editor/WindowIcon.h"
#include "editor/frmCVDMXMap.h"

#include <QApplication>
#include <cstdio>

int RunEditor(int &argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "cvdmxmap: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Start it from a desktop session, or over SSH with X forwarding (ssh -X), or\n"
                     "in a virtual display: xvfb-run -a cvdmxmap\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QRT Corvanta DMX Map"));
    QApplication::setWindowIcon(WindowIcon()); // both windows
    frmCVDMXMap window;
    window.ShowAndActivate();
    return app.exec();
}
