#pragma once
#include <QString>
#include <functional>

namespace platform {

// Answers of a message box.
enum MsgBoxAnswer { vbOK = 1, vbYes = 6, vbNo = 7 };

// A modal message box. The buttons code adds an icon (16 critical, 32 question,
// 48 exclamation, 64 information, 0 none) to a button set (0 OK, 4 Yes and No).
// Closing a Yes/No box without choosing answers No. The text is plain text, shown as it is.
int MsgBox(const QString &text, int buttons, const QString &title);

// Tests answer message boxes through a responder instead of a real dialog.
// An empty responder restores the real dialog.
using MsgBoxResponder = std::function<int(const QString &text, int buttons, const QString &title)>;
void SetMsgBoxResponder(MsgBoxResponder responder);

} // namespace platform
