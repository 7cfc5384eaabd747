#include "support/FileDialogScript.h"

#include "platform/FileDialog.h"

FileDialogScript::FileDialogScript(QList<QString> answers) : answers_(std::move(answers))
{
    platform::FileDialog::SetResponder([this](bool save, platform::FileDialog &dialog) {
        shown_.append({save, dialog.FileName, dialog.Filter, dialog.Flags});
        if (answers_.isEmpty()) {
            ++unexpected_;
            return false;
        }
        const QString answer = answers_.takeFirst();
        if (answer.isNull())
            return false;
        dialog.FileName = answer;
        return true;
    });
}

FileDialogScript::~FileDialogScript()
{
    platform::FileDialog::SetResponder({});
}
