#pragma once
#include <QString>
#include <functional>

namespace toolkit {

// The buttons code of a message box: a button set plus an icon.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

// Answers of a message box.
enum MsgBoxAnswer { vbOK = 1, vbYes = 6, vbNo = 7 };

// A modal message box with a buttons code such as vbYesNo + vbQuestion. Closing a Yes/No
// box without choosing answers No. The text is plain text, shown as it is.
int MsgBox(const QString &text, int buttons, const QString &title);

// Tests answer message boxes through a responder instead of a real dialog.
// An empty responder restores the real dialog.
using MsgBoxResponder = std::function<int(const QString &text, int buttons, const QString &title)>;
void SetMsgBoxResponder(MsgBoxResponder responder);

} // namespace toolkit
