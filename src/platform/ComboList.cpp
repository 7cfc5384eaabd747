#include "platform/ComboList.h"

#include <QSignalBlocker>

namespace platform {

ComboList::ComboList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
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

void ComboList::SetListIndex(int index)
{
    Q_ASSERT(index >= -1 && index < count());
    setCurrentIndex(index);
}

} // namespace platform
