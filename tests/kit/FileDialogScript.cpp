#include "kit/FileDialogScript.h"

#include "toolkit/FileDialog.h"

FileDialogScript::FileDialogScript(QList<QString> answers) : answers_(std::move(answers))
{
    toolkit::FileDialog::SetResponder([this](bool save, toolkit::FileDialog &dialog) {
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
    toolkit::FileDialog::SetResponder({});
}
