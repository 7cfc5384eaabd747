#include "toolkit/CellGridAccessible.h"

#include "toolkit/CellGrid.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <vector>

namespace toolkit {

namespace {

// One cell: a static text named by its caption, with the cell's rectangle on the screen.
// It holds the grid, not the cell's state, and is invalid once the grid is gone.
class AccessibleGridCell : public QAccessibleInterface {
public:
    AccessibleGridCell(CellGrid *grid, int child) : grid_(grid), child_(child) {}

    // The child index of the cell in grid, or -1 for a cell of another grid.
    int ChildOf(const CellGrid *grid) const { return grid_ == grid ? child_ : -1; }

    bool isValid() const override { return grid_ && child_ < grid_->AccessibleCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return grid_->window()->windowHandle(); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(grid_); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return TheCell().Caption();
        if (t == QAccessible::Description)
            return TheCell().Description();
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        const QRect r = TheCell().Rect();
        return QRect(grid_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !grid_->isVisible() || !TheCell().Visible();
        state.disabled = !grid_->isEnabled();
        return state;
    }

private:
    Cell TheCell() const { return grid_->AccessibleCell(child_); }

    QPointer<CellGrid> grid_;
    int child_;
};

// The grid: a pane whose children are its cells. Their interfaces are made on demand and
// kept, by child index, until the grid goes.
class AccessibleGrid : public QAccessibleWidget {
public:
    explicit AccessibleGrid(CellGrid *grid) : QAccessibleWidget(grid, QAccessible::Pane) {}

    ~AccessibleGrid() override
    {
        for (QAccessible::Id id : ids_) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return Grid()->AccessibleCount(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // A tool may have asked before the last cells were added.
        if (ids_.size() < size_t(childCount()))
            ids_.resize(size_t(childCount()));
        QAccessible::Id &id = ids_[size_t(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new AccessibleGridCell(Grid(), index));
        return QAccessible::accessibleInterface(id);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *cell = dynamic_cast<const AccessibleGridCell *>(child);
        return cell ? cell->ChildOf(Grid()) : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const Cell cell = Grid()->CellAt(Grid()->mapFromGlobal(QPoint(x, y)));
        return cell == Cell() ? nullptr : child(Grid()->AccessibleIndex(cell));
    }

    bool Made(int index) const { return index >= 0 && size_t(index) < ids_.size() && ids_[size_t(index)]; }

private:
    CellGrid *Grid() const { return static_cast<CellGrid *>(object()); }

    mutable std::vector<QAccessible::Id> ids_; // 0 for a cell not yet asked for
};

QAccessibleInterface *GridFactory(const QString &, QObject *object)
{
    if (auto *grid = qobject_cast<CellGrid *>(object))
        return new AccessibleGrid(grid);
    return nullptr;
}

} // namespace

bool AccessibleCellMade(CellGrid *grid, int index)
{
    const auto *accessible = dynamic_cast<AccessibleGrid *>(QAccessible::queryAccessibleInterface(grid));
    return accessible && accessible->Made(index);
}

void InstallCellGridAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(GridFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace toolkit
