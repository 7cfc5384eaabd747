#pragma once
// A main window loaded in a fresh home folder, shown offscreen, with message boxes
// answered from a script.
#include "document/modCVDMXMap.h"
#include "editor/frmCVDMXMap.h"
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

    // A real mouse press on output cell i.
    void Press(int i, Qt::MouseButton button, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mousePress(w->lblDimChan[i], button, mods, QPoint(5, 5));
        QTest::mouseRelease(w->lblDimChan[i], button, mods, QPoint(5, 5));
    }

    QColor Colour(int i) const { return w->lblDimChan[i]->BackColor(); }
    QString Text(int i) const { return w->lblDimChan[i]->text(); }
};

inline const QColor kPale(0xFF, 0xFF, 0xC0);
inline const QColor kGrey(0xC0, 0xC0, 0xC0);
inline const QColor kWhiteCell(0xFF, 0xFF, 0xFF);
