#include "kit/MsgBoxScript.h"

#include "toolkit/MsgBox.h"

#include <QTest>

MsgBoxScript::MsgBoxScript(QList<int> answers) : answers_(std::move(answers))
{
    toolkit::SetMsgBoxResponder([this](const QString &text, int buttons, const QString &title) {
        shown_.append({text, buttons, title});
        if (answers_.isEmpty()) {
            ++unexpected_;
            return (buttons & 0x0F) == 4 ? int(toolkit::vbNo) : int(toolkit::vbOK);
        }
        return answers_.takeFirst();
    });
}

MsgBoxScript::~MsgBoxScript()
{
    toolkit::SetMsgBoxResponder({});
}

char *toString(const ShownBox &box)
{
    QString text = box.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\\r\\n"));
    return QTest::toString(QStringLiteral("(\"%1\", %2, \"%3\")").arg(text).arg(box.buttons).arg(box.title));
}
