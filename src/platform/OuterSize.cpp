#include "platform/OuterSize.h"

#include <QWidget>

namespace platform {

QSize OuterSize(QWidget *window)
{
    window->winId();
    return window->frameGeometry().size();
}

} // namespace platform
