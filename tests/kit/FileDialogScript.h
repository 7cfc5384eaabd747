#pragma once
#include <QList>
#include <QString>

// Answers the file dialog from a script and records how each dialog was set up.
// An answer is a path to choose, or a null QString for Cancel. A dialog beyond the
// script is recorded as unexpected and cancelled.
struct ShownDialog {
    bool save;
    QString startName;
    QString filter;
    int flags;
};

class FileDialogScript {
public:
    explicit FileDialogScript(QList<QString> answers = {});
    ~FileDialogScript();
    FileDialogScript(const FileDialogScript &) = delete;
    FileDialogScript &operator=(const FileDialogScript &) = delete;

    void Answer(QList<QString> answers) { answers_ = std::move(answers); }
    const QList<ShownDialog> &Shown() const { return shown_; }
    int Unexpected() const { return unexpected_; }

private:
    QList<QString> answers_;
    QList<ShownDialog> shown_;
    int unexpected_ = 0;
};
