#pragma once
// The main window as an assistive tool reads it: from the window's accessible interface
// down to the static texts of its client area.
#include "editor/frmCVDMXMap.h"
#include "kit/Accessibility.h"

#include <QTest>

// The static texts of the client area, in the order a screen reader walks them; empty when
// the client area cannot be reached from the window.
inline QList<AccessibleNode> AccessibleLabels(frmCVDMXMap &w)
{
    QList<AccessibleNode> labels;
    for (const AccessibleNode &child : AccessibleChildren(&w)) {
        if (child.object != w.client)
            continue;
        for (const AccessibleNode &node : AccessibleChildren(w.client)) {
            if (node.role == QAccessible::StaticText)
                labels.append(node);
        }
    }
    return labels;
}

// The cells whose name changes were announced, in order, with the names announced.
inline QList<QPair<QObject *, QString>> AnnouncedCells(const AccessibilityOn &on)
{
    QList<QPair<QObject *, QString>> cells;
    for (const AccessibilityOn::Announced &e : on.Events(QAccessible::NameChanged)) {
        if (qobject_cast<toolkit::CellLabel *>(e.object.data()))
            cells.append({e.object.data(), e.name});
    }
    return cells;
}

// Every label reads what its cell shows, where the cell stands, visible: the two legends,
// then each channel's number cell and output cell.
inline bool LabelsMatchTheGrid(frmCVDMXMap &w, const QList<AccessibleNode> &labels)
{
    auto screenRect = [&](const QWidget *cell) { return QRect(w.client->mapToGlobal(cell->pos()), cell->size()); };
    auto same = [&](const AccessibleNode &node, const toolkit::CellLabel *cell) {
        return node.object == cell && node.name == cell->text() && node.rect == screenRect(cell) && !node.invisible;
    };
    if (labels.size() != 2 + 2 * 512 || !same(labels[0], w.lblHeader) || !same(labels[1], w.Label1))
        return false;
    for (int i = 0; i < 512; ++i) {
        if (!same(labels[2 + 2 * i], w.lblDMXChan[i]) || !same(labels[3 + 2 * i], w.lblDimChan[i]))
            return false;
    }
    return true;
}
