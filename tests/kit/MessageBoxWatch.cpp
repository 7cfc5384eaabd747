#include "kit/MessageBoxWatch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>

MessageBoxWatch::MessageBoxWatch(QMessageBox::StandardButton answer) : answer_(answer)
{
    // Runs in the first turn of the box's own event loop, once it is shown.
    QTimer::singleShot(0, qApp, [this] { Read(); });
}

void MessageBoxWatch::Read()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return;
    seen_ = true;
    box_.title = box->windowTitle();
    box_.text = box->text();
    box_.format = box->textFormat();
    box_.icon = box->icon();
    if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        box_.labelText = label->text();
        box_.labelFormat = label->textFormat();
    }
    for (QAbstractButton *b : box->buttons())
        box_.buttons << b->text();
    if (answer_ == QMessageBox::NoButton)
        box->close();
    else
        box->button(answer_)->click();
}
