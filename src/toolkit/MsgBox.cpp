#include "toolkit/MsgBox.h"

#include <QApplication>
#include <QMessageBox>

namespace toolkit {

namespace {

MsgBoxResponder &Responder()
{
    static MsgBoxResponder responder;
    return responder;
}

constexpr int kIconBits = 0x70;
constexpr int kButtonBits = 0x0F;

QMessageBox::Icon IconOf(int buttons)
{
    switch (buttons & kIconBits) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
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

    const bool yesNo = (buttons & kButtonBits) == vbYesNo;
    QMessageBox box(IconOf(buttons), title, text, yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
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

} // namespace toolkit
