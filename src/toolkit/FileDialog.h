#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace toolkit {

// Option bits of the file dialog's Flags.
enum FileDialogFlag {
    cdlOFNOverwritePrompt = 2, // the save dialog asks before replacing a file
    cdlOFNHideReadOnly = 4,    // no read-only check box (the dialog never has one)
    cdlOFNPathMustExist = 2048,
    cdlOFNFileMustExist = 4096, // the open dialog takes only an existing file
};

// The common file dialog: a starting name, a filter of "description|pattern" pairs and
// option flags in; the chosen full path out.
class FileDialog {
public:
    explicit FileDialog(QWidget *parent = nullptr) : parent_(parent) {}

    QString FileName;
    QString Filter;
    int Flags = 0;

    // Both return false when the user cancelled; FileName then keeps its value.
    bool ShowOpen();
    bool ShowSave();

    // Tests answer the dialogs through a responder: it sees the dialog as set up, sets
    // FileName and returns whether the user accepted. An empty responder restores the real dialog.
    using Responder = std::function<bool(bool save, FileDialog &dialog)>;
    static void SetResponder(Responder responder);

    // The dialog's name filters for Filter: "*.CVX" also matches lower-case names,
    // "*.*" matches every file.
    static QStringList NameFilters(const QString &filter);

private:
    bool Show(bool save);
    QWidget *parent_;
};

} // namespace toolkit
