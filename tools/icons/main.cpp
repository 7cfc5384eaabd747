// cvdmxmap-icons: writes the program's icon as PNG files at the installed sizes.
#include "editor/WindowIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
        std::fputs(
            "Usage: cvdmxmap-icons FOLDER\n"
            "Writes cvdmxmap-32.png, -64, -128 and -256 into FOLDER.\n",
            stderr);
        return 2;
    }
    for (int size : {32, 64, 128, 256}) {
        const QString path = QDir(args[0]).filePath(QStringLiteral("cvdmxmap-%1.png").arg(size));
        if (!WindowIconPixmap(size).save(path, "PNG")) {
            std::fprintf(stderr, "cvdmxmap-icons: cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
