#include "toolkit/Dialog.h"

#include <QKeyEvent>

namespace toolkit {

void Dialog::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel))
        event->ignore();
    else
        QDialog::keyPressEvent(event);
}

} // namespace toolkit
