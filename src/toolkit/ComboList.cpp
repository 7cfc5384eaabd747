#include "toolkit/ComboList.h"

#include <QSignalBlocker>
#include <QWheelEvent>

namespace toolkit {

ComboList::ComboList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    // Tab and a click give the focus; a wheel turn does not (QComboBox's default would).
    setFocusPolicy(Qt::StrongFocus);
    connect(this, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) {
        if (click_)
            click_();
    });
}

void ComboList::SetClickHandler(std::function<void()> handler)
{
    click_ = std::move(handler);
}

void ComboList::Clear()
{
    const QSignalBlocker block(this);
    clear();
}

void ComboList::AddItem(const QString &text)
{
    const QSignalBlocker block(this);
    const bool wasEmpty = count() == 0;
    addItem(text);
    // QComboBox selects the first entry added to an empty list; a list starts unselected.
    if (wasEmpty)
        setCurrentIndex(-1);
}

// The wheel steps only the list that has the focus; over any other it goes on to the
// list's parent, as if the list were not there.
void ComboList::wheelEvent(QWheelEvent *event)
{
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

void ComboList::SetListIndex(int index)
{
    Q_ASSERT(index >= -1 && index < count());
    setCurrentIndex(index);
}

} // namespace toolkit
