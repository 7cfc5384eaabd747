#include "toolkit/Caption.h"

#include <QWidget>

namespace toolkit {

namespace {
const QString kMark = QStringLiteral("[*]");
const QString kEscapedMark = QStringLiteral("[*][*]"); // Qt shows it as "[*]"
} // namespace

void SetCaption(QWidget *window, const QString &caption)
{
    QString title = caption;
    window->setWindowTitle(title.replace(kMark, kEscapedMark));
}

QString Caption(const QWidget *window)
{
    return window->windowTitle().replace(kEscapedMark, kMark);
}

} // namespace toolkit
