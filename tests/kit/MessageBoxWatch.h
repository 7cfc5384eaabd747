#pragma once
#include <QMessageBox>
#include <QString>
#include <QStringList>

// What a real message box showed: read from its widgets while it stood open.
struct SeenMessageBox {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QString labelText;                         // the text its label holds
    Qt::TextFormat labelFormat = Qt::AutoText; // how its label renders that text
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Reads the next real message box that opens, then closes it by pressing `answer`
// (or by its title bar when `answer` is NoButton). Arm it just before the code that
// shows the box.
class MessageBoxWatch {
public:
    explicit MessageBoxWatch(QMessageBox::StandardButton answer);
    bool Seen() const { return seen_; }
    const SeenMessageBox &Box() const { return box_; }

private:
    void Read();
    QMessageBox::StandardButton answer_;
    bool seen_ = false;
    SeenMessageBox box_;
};
