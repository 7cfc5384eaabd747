#include "BareWindow.h"

#include <QMenu>
#include <QMenuBar>

std::unique_ptr<QMainWindow> BareWindow()
{
    auto window = std::make_unique<QMainWindow>();
    auto *client = new QWidget(window.get());
    client->setFixedSize(1321, 673);
    window->setCentralWidget(client);
    QMenu *file = window->menuBar()->addMenu(QStringLiteral("File"));
    for (const char *item : {"New", "Open", "Save", "Save As"})
        file->addAction(QString::fromLatin1(item));
    file->addSeparator();
    file->addAction(QStringLiteral("Exit"));
    window->menuBar()->addAction(QStringLiteral("Download"));
    return window;
}
