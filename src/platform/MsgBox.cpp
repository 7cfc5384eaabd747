#include "platform/MsgBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {

MsgBoxResponder &Responder()
{
    static MsgBoxResponder responder;
    return responder;
}

QMessageBox::Icon IconOf(int buttons)
{
    switch (buttons & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

void SetMsgBoxResponder(MsgBoxResponder responder)
{
    Responder() = std::move(responder);
}

int MsgBox(const QString &text, int buttons, const QString &title)
{
    if (Responder())
        return Responder()(text, buttons, title);

    const bool yesNo = (buttons & 0x0F) == 4;
    QMessageBox box(IconOf(buttons), title, text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    // Texts are shown letter for letter: a controller's revision may hold "<" or "&".
    box.setTextFormat(Qt::PlainText);
    if (yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    const int answer = box.exec();
    if (!yesNo)
        return vbOK;
    return answer == QMessageBox::Yes ? vbYes : vbNo;
}

} // namespace platform
