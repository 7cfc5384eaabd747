#include "toolkit/AccessibleCell.h"

#include "toolkit/CellLabel.h"

#include <QAccessibleWidget>

namespace toolkit {

namespace {

// Position, size, visibility and parent come from QAccessibleWidget; a cell adds the
// role of a label, its caption as its name and its description.
class AccessibleCell : public QAccessibleWidget {
public:
    explicit AccessibleCell(CellLabel *cell) : QAccessibleWidget(cell, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const CellLabel *>(object())->text();
        if (t == QAccessible::Description)
            return static_cast<const CellLabel *>(object())->Description();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *CellFactory(const QString &, QObject *object)
{
    if (auto *cell = qobject_cast<CellLabel *>(object))
        return new AccessibleCell(cell);
    return nullptr;
}

} // namespace

void InstallAccessibleCells()
{
    static const bool installed = [] {
        QAccessible::installFactory(CellFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace toolkit
