#pragma once
#include <QList>
#include <QString>

// Answers message boxes from a script and records every box shown.
// A box beyond the script is recorded as unexpected and answered OK (or No),
// so a test fails on it instead of hanging on a modal dialog.
struct ShownBox {
    QString text;
    int buttons;
    QString title;
    bool operator==(const ShownBox &o) const { return text == o.text && buttons == o.buttons && title == o.title; }
};

class MsgBoxScript {
public:
    explicit MsgBoxScript(QList<int> answers = {});
    ~MsgBoxScript();
    MsgBoxScript(const MsgBoxScript &) = delete;
    MsgBoxScript &operator=(const MsgBoxScript &) = delete;

    void Answer(QList<int> answers) { answers_ = std::move(answers); }
    const QList<ShownBox> &Shown() const { return shown_; }
    int Unexpected() const { return unexpected_; }
    void Reset()
    {
        shown_.clear();
        unexpected_ = 0;
    }

private:
    QList<int> answers_;
    QList<ShownBox> shown_;
    int unexpected_ = 0;
};

char *toString(const ShownBox &box);
