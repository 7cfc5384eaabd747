#pragma once
// The main window as an assistive tool reads it: from the window's accessible interface
// down to the static texts of its grid.
#include "editor/frmCVDMXMap.h"
#include "kit/Accessibility.h"

#include "document/modCVDMXMap.h"
#include <QTest>

namespace toolkit {
// A cell in a test's message: where it stands.
inline char *toString(const Cell &cell)
{
    return QTest::toString(cell.Rect());
}
} // namespace toolkit

// The static texts of the grid, in the order a screen reader walks them; empty when the
// grid cannot be reached from the window through the client area.
inline QList<AccessibleNode> AccessibleLabels(frmCVDMXMap &w)
{
    QList<AccessibleNode> labels;
    for (const AccessibleNode &child : AccessibleChildren(&w)) {
        if (child.object != w.client)
            continue;
        for (const AccessibleNode &control : AccessibleChildren(w.client)) {
            if (control.object != w.grid)
                continue;
            for (const AccessibleNode &node : AccessibleChildren(w.grid)) {
                if (node.role == QAccessible::StaticText)
                    labels.append(node);
            }
        }
    }
    return labels;
}

// The cell of a grid an announcement is about, or none.
inline toolkit::Cell AnnouncedCell(const AccessibilityOn::Announced &e)
{
    auto *grid = qobject_cast<toolkit::CellGrid *>(e.object.data());
    return grid && e.child >= 0 ? grid->AccessibleCell(e.child) : toolkit::Cell();
}

// The cells whose announcements of one type were heard, in order.
inline QList<toolkit::Cell> AnnouncedCells(const AccessibilityOn &on, QAccessible::Event type)
{
    QList<toolkit::Cell> cells;
    for (const AccessibilityOn::Announced &e : on.Events(type)) {
        if (AnnouncedCell(e) != toolkit::Cell())
            cells.append(AnnouncedCell(e));
    }
    return cells;
}

// The cells whose name changes were announced, in order, with the names announced.
inline QList<QPair<toolkit::Cell, QString>> AnnouncedCells(const AccessibilityOn &on)
{
    QList<QPair<toolkit::Cell, QString>> cells;
    for (const AccessibilityOn::Announced &e : on.Events(QAccessible::NameChanged)) {
        if (AnnouncedCell(e) != toolkit::Cell())
            cells.append({AnnouncedCell(e), e.name});
    }
    return cells;
}

// Every label reads what its cell shows, where the cell stands, visible: the two legends,
// then each channel's number cell and output cell.
inline bool LabelsMatchTheGrid(frmCVDMXMap &w, const QList<AccessibleNode> &labels)
{
    auto same = [&](const AccessibleNode &node, const toolkit::Cell &cell) {
        const QRect onScreen(w.grid->mapToGlobal(cell.Rect().topLeft()), cell.Rect().size());
        return node.name == cell.Caption() && node.rect == onScreen && !node.invisible;
    };
    if (labels.size() != 2 + 2 * modCVDMXMap::kChannels || !same(labels[0], w.lblHeader) || !same(labels[1], w.Label1))
        return false;
    for (int i = 0; i < modCVDMXMap::kChannels; ++i) {
        if (!same(labels[2 + 2 * i], w.lblDMXChan[i]) || !same(labels[3 + 2 * i], w.lblDimChan[i]))
            return false;
    }
    return true;
}
