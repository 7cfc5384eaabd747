#include "platform/Dialog.h"

#include <QKeyEvent>

namespace platform {

void Dialog::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel))
        event->ignore();
    else
        QDialog::keyPressEvent(event);
}

} // namespace platform
