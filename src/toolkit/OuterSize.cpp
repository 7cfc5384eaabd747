#include "toolkit/OuterSize.h"

#include <QWidget>

namespace toolkit {

QSize OuterSize(QWidget *window)
{
    window->winId();
    return window->frameGeometry().size();
}

} // namespace toolkit
