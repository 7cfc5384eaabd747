#include "app/RunEditor.h"

#include "app/EditorArguments.h"
#include "editor/WindowIcon.h"
#include "editor/frmCVDMXMap.h"

#include <QApplication>
#include <cstdio>

namespace {

constexpr int kUsageStatus = 2;

// A display to open: named in the environment, or a platform given on the command line.
bool HaveDisplay(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

// Answers help, version and a wrong argument; -1 for a command line to run with.
int Answer(const EditorArguments &arguments)
{
    switch (arguments.action) {
    case EditorArguments::Run:
        return -1;
    case EditorArguments::Help:
        std::fputs(EditorHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case EditorArguments::Version:
        std::fputs(EditorVersionText().toLocal8Bit().constData(), stdout);
        return 0;
    case EditorArguments::Refuse:
        std::fprintf(stderr, "cvdmxmap: %s\nUsage: cvdmxmap [FILE] (cvdmxmap --help says more)\n",
                     arguments.message.toLocal8Bit().constData());
        return kUsageStatus;
    }
    return -1;
}

} // namespace

int RunEditor(int &argc, char **argv)
{
    if (!HaveDisplay(argc, argv)) {
        // Help and version need no display.
        QStringList words;
        for (int i = 0; i < argc; ++i)
            words << QString::fromLocal8Bit(argv[i]);
        const EditorArguments arguments = ParseEditorArguments(words);
        if (arguments.action == EditorArguments::Help || arguments.action == EditorArguments::Version)
            return Answer(arguments);
        std::fprintf(stderr,
                     "cvdmxmap: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Start it from a desktop session, or over SSH with X forwarding (ssh -X), or\n"
                     "in a virtual display: xvfb-run -a cvdmxmap\n");
        return kUsageStatus;
    }
    // QApplication takes Qt's own options out of argv; the rest is the editor's.
    QApplication app(argc, argv);
    const EditorArguments arguments = ParseEditorArguments(QApplication::arguments());
    if (const int status = Answer(arguments); status >= 0)
        return status;
    QApplication::setApplicationName(QStringLiteral("QRT Corvanta DMX Map"));
    QApplication::setWindowIcon(WindowIcon()); // both windows
    frmCVDMXMap window;
    window.ShowAndActivate();
    if (!arguments.file.isEmpty())
        window.OpenMapFile(arguments.file);
    return app.exec();
}
