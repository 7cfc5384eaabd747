#pragma once
// A main window loaded in a fresh home folder, shown offscreen, with message boxes
// answered from a script.
#include "document/modCVDMXMap.h"
#include "editor/frmCVDMXMap.h"
#include "kit/Mouse.h"
#include "kit/MsgBoxScript.h"
#include "kit/TempHome.h"
#include "toolkit/MsgBox.h"

#include <QAction>
#include <QTest>
#include <memory>

struct EditorFixture {
    TempHome home;
    MsgBoxScript boxes;
    std::unique_ptr<frmCVDMXMap> w;

    // Picks File/New, Open, Save or Save As: command is "new", "open", "save" or "saveas".
    void FileCommand(const QString &command)
    {
        QAction *item = command == "new" ? w->mnuFileNew
            : command == "open"          ? w->mnuFileOpen
            : command == "save"          ? w->mnuFileSave
                                         : w->mnuFileSaveAs;
        item->trigger();
    }

    EditorFixture()
    {
        w = std::make_unique<frmCVDMXMap>();
        w->ShowAndActivate();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("main window not exposed");
    }

    // A real mouse click, through the window, on a pixel of the client area.
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Mouse(w->client).Click(at, button, mods);
    }
    // The same 5 pixels into a cell.
    void Click(const toolkit::Cell &cell, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Click(cell.Rect().topLeft() + QPoint(5, 5), button, mods);
    }
    // The same on output cell i.
    void Press(int i, Qt::MouseButton button, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Click(w->lblDimChan[i], button, mods);
    }

    QColor Colour(int i) const { return w->lblDimChan[i].BackColor(); }
    QString Text(int i) const { return w->lblDimChan[i].Caption(); }
};

inline const QColor kPale(0xFF, 0xFF, 0xC0);
inline const QColor kGrey(0xC0, 0xC0, 0xC0);
inline const QColor kWhiteCell(0xFF, 0xFF, 0xFF);
