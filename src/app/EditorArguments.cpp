#include "app/EditorArguments.h"

#include <QCommandLineParser>
#include <QFileInfo>

EditorArguments ParseEditorArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    EditorArguments result;
    if (!parser.parse(arguments)) {
        result.action = EditorArguments::Refuse;
        result.message = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.action = EditorArguments::Help;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = EditorArguments::Version;
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.action = EditorArguments::Refuse;
        result.message
            = QStringLiteral("Too many arguments: %1 (one map file at most).").arg(files.mid(1).join(QLatin1Char(' ')));
        return result;
    }
    if (!files.isEmpty()) {
        if (files[0].isEmpty()) {
            result.action = EditorArguments::Refuse;
            result.message = QStringLiteral("The map file's name is empty.");
            return result;
        }
        // The path the open dialog would give.
        result.file = QFileInfo(files[0]).absoluteFilePath();
    }
    return result;
}

QString EditorHelpText()
{
    return QStringLiteral(
        "Usage: cvdmxmap [FILE]\n"
        "The QRT Corvanta DMX Map editor: the DMX output map of a QRT Corvanta dimmer\n"
        "controller, edited in a window and downloaded over a serial port.\n"
        "\n"
        "  FILE           a map file (*.CVX) to open at start, as File/Open opens it\n"
        "  -h, --help     show this help and end\n"
        "  -v, --version  show the version and end\n"
        "\n"
        "Qt's own options are taken too, for example -platform offscreen or -style fusion.\n"
        "Exit status: 0 the window was closed, or help or version shown; 2 a wrong\n"
        "argument, or no display.\n");
}

QString EditorVersionText()
{
    return QStringLiteral("cvdmxmap " CVDMX_VERSION "\n");
}
