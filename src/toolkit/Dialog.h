#pragma once
#include <QDialog>

namespace toolkit {

// A dialog window that closes only through its own buttons or its title bar:
// the Escape key, which QDialog takes for Cancel, does nothing.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget *parent = nullptr) : QDialog(parent) {}

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace toolkit
