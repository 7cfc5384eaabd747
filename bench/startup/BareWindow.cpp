// The floor of the start-up figure: a bare Qt Widgets window as large as the editor's, a
// 1321 x 673 client under a menu bar with the editor's menus, that draws nothing of its
// own. Launched the same way as the editor, with the first-paint probe linked in.
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto *client = new QWidget(&window);
    client->setFixedSize(1321, 673);
    window.setCentralWidget(client);
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("File"));
    for (const char *item : {"New", "Open", "Save", "Save As"})
        file->addAction(QString::fromLatin1(item));
    file->addSeparator();
    file->addAction(QStringLiteral("Exit"));
    window.menuBar()->addAction(QStringLiteral("Download"));
    window.show();
    return app.exec();
}
