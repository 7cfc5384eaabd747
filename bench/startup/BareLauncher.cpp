// The floor of the start-up figure: the bare window (BareWindow.h), launched the same way
// as the editor, with the first-paint probe linked in.
#include "BareWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const std::unique_ptr<QMainWindow> window = BareWindow();
    window->show();
    return app.exec();
}
