#include "toolkit/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace toolkit {

namespace {
FileDialog::Responder &TheResponder()
{
    static FileDialog::Responder responder;
    return responder;
}
} // namespace

void FileDialog::SetResponder(Responder responder)
{
    TheResponder() = std::move(responder);
}

QStringList FileDialog::NameFilters(const QString &filter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns;
        for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << pattern;
            if (pattern.toLower() != pattern)
                patterns << pattern.toLower();
        }
        filters << description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

bool FileDialog::ShowOpen()
{
    return Show(false);
}
bool FileDialog::ShowSave()
{
    return Show(true);
}

bool FileDialog::Show(bool save)
{
    if (TheResponder())
        return TheResponder()(save, *this);

    QFileDialog dialog(parent_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && (Flags & cdlOFNFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!(Flags & cdlOFNOverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(NameFilters(Filter));
    if (!FileName.isEmpty()) {
        const QFileInfo start(FileName);
        dialog.setDirectory(start.absolutePath());
        if (!start.fileName().contains(QLatin1Char('*')))
            dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().constFirst();
    return true;
}

} // namespace toolkit
