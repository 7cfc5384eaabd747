#pragma once
#include <QComboBox>
#include <functional>

namespace toolkit {

// A drop-down list whose click handler runs whenever the selected index changes,
// whether the user picked an entry or code assigned ListIndex; assigning the index
// already selected, emptying the list and appending entries run nothing. The handler
// runs synchronously, nested inside the assignment. The mouse wheel steps the list only
// while it has the keyboard focus (by Tab or a click).
class ComboList : public QComboBox {
    Q_OBJECT
public:
    explicit ComboList(QWidget *parent = nullptr);

    void SetClickHandler(std::function<void()> handler);

    void Clear();
    void AddItem(const QString &text);
    int ListIndex() const { return currentIndex(); }
    // index must be -1 or a valid entry.
    void SetListIndex(int index);
    int ListCount() const { return count(); }
    QString List(int index) const { return itemText(index); }

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    std::function<void()> click_;
};

} // namespace toolkit
