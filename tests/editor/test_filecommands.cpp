// The File menu through every document state, the dialogs' starting names and leaving the
// program. Files that cannot be read or written are in test_diskfaults.
#include "AccessibleGrid.h"
#include "EditorFixture.h"

#include "document/MapFile.h"
#include "kit/Boxes.h"
#include "kit/FileDialogScript.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "toolkit/CallTrace.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QToolTip>

using namespace modCVDMXMap;

namespace {

const QString kFilter = QStringLiteral("QRT Corvanta DMX Map Files (*.CVX)|*.CVX|All Files (*.*)|*.*");
const QString kNoneTitle = QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   (None)");

// A title and two labels: entry 5 (D:04.2 at address 03, DiskMap's channel 1) and entry 62,
// which that address pushes past device 16.
MapLabels RigLabels()
{
    MapLabels labels;
    labels.title = QStringLiteral("Studio B");
    labels.outputs[5] = QStringLiteral("Cyc 🎭 left");
    labels.outputs[62] = QStringLiteral("Hidden");
    return labels;
}

} // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private slots:
    void stateTable_data();
    void stateTable();
    void openShowsTheFileWithItsDeviceLists();
    void openIsHeardByAScreenReader();
    void saveOfATitledMapWritesAtOnceWithoutRefresh();
    void dialogStartingNames();
    void dialogAnswersThatChooseNothing_data();
    void dialogAnswersThatChooseNothing();
    void menuCommandsHideTheChooser();
    void exitAndClose_data();
    void exitAndClose();
    void savedMapOpensTheSameInANewWindow();
    void labelsGoWithTheDocument_data();
    void labelsGoWithTheDocument();
    void labelledCellsDescribeTheirOutput();
    void boxesSeeTheDocumentAsItWas_data();
    void boxesSeeTheDocumentAsItWas();
};

// Each row: the state before (titled, changed), the command, the answers to the discard
// prompt and to the dialog ("" = none shown, "cancel", "yes"/"no", or a file name),
// then the expected outcome.
void TestFileCommands::stateTable_data()
{
    QTest::addColumn<bool>("titled");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("file"); // "none", "old" or the new name
    QTest::addColumn<bool>("changedAfter");
    QTest::addColumn<QString>("map"); // "edited", "reset", "disk"
    QTest::addColumn<bool>("written");

    struct Row {
        const char *tag;
        bool titled, changed;
        const char *cmd, *prompt, *dialog, *file;
        bool changedAfter;
        const char *map;
        bool written;
    };
    const Row rows[] = {
        {"new: untitled unchanged asks nothing", false, false, "new", "", "", "none", false, "reset", false},
        {"new: titled unchanged asks nothing", true, false, "new", "", "", "none", false, "reset", false},
        {"new: changed, No keeps everything", true, true, "new", "no", "", "old", true, "edited", false},
        {"new: changed, Yes resets", true, true, "new", "yes", "", "none", false, "reset", false},
        {"open: untitled changed, No", false, true, "open", "no", "", "none", true, "edited", false},
        {"open: changed, Yes then cancel", true, true, "open", "yes", "cancel", "old", true, "edited", false},
        {"open: unchanged, file chosen", false, false, "open", "", "disk.CVX", "disk.CVX", false, "disk", false},
        {"open: changed, Yes, file chosen", true, true, "open", "yes", "disk.CVX", "disk.CVX", false, "disk", false},
        {"save: untitled changed shows Save As", false, true, "save", "", "new.CVX", "new.CVX", false, "edited", true},
        {"save: untitled, dialog cancelled", false, true, "save", "", "cancel", "none", true, "edited", false},
        {"save: titled changed writes", true, true, "save", "", "", "old", false, "edited", true},
        {"save: titled unchanged writes", true, false, "save", "", "", "old", false, "edited", true},
        {"save as: changed never prompts", true, true, "saveas", "", "new.CVX", "new.CVX", false, "edited", true},
        {"save as: untitled unchanged", false, false, "saveas", "", "new.CVX", "new.CVX", false, "edited", true},
        {"save as: cancelled", true, true, "saveas", "", "cancel", "old", true, "edited", false},
    };
    for (const Row &r : rows)
        QTest::newRow(r.tag) << r.titled << r.changed << QString::fromLatin1(r.cmd) << QString::fromLatin1(r.prompt)
                             << QString::fromLatin1(r.dialog) << QString::fromLatin1(r.file) << r.changedAfter
                             << QString::fromLatin1(r.map) << r.written;
}

void TestFileCommands::stateTable()
{
    QFETCH(bool, titled);
    QFETCH(bool, changed);
    QFETCH(QString, command);
    QFETCH(QString, prompt);
    QFETCH(QString, dialog);
    QFETCH(QString, file);
    QFETCH(bool, changedAfter);
    QFETCH(QString, map);
    QFETCH(bool, written);

    EditorFixture f;
    FileDialogScript dialogs;
    const QString dir = f.home.WorkFolder() + QLatin1Char('/');
    QVERIFY(WriteBytes(dir + QStringLiteral("disk.CVX"), MapToBytes(DiskMap())));
    const QString old = dir + QStringLiteral("old.CVX");
    if (titled)
        sMapFile = old;
    iDmxMap[10] = 33;
    SetDevAdd(1);
    const MapTable edited = iDmxMap;
    bMapChanged = changed;
    f.w->ShowScreen();

    if (!prompt.isEmpty())
        f.boxes.Answer({prompt == "yes" ? toolkit::vbYes : toolkit::vbNo});
    if (!dialog.isEmpty())
        dialogs.Answer({dialog == "cancel" ? QString() : dir + dialog});

    f.FileCommand(command);

    QCOMPARE(f.boxes.Shown(), prompt.isEmpty() ? QList<ShownBox>() : QList<ShownBox>{kDiscardBox});
    QCOMPARE(f.boxes.Unexpected(), 0);
    QCOMPARE(dialogs.Shown().size(), dialog.isEmpty() ? 0 : 1);
    QCOMPARE(dialogs.Unexpected(), 0);
    if (!dialog.isEmpty()) {
        QCOMPARE(dialogs.Shown()[0].save, command != "open");
        QCOMPARE(dialogs.Shown()[0].filter, kFilter);
        QCOMPARE(dialogs.Shown()[0].flags, 6150);
    }

    const QString expectedFile = file == "none" ? QStringLiteral("None") : file == "old" ? old : dir + file;
    QCOMPARE(sMapFile, expectedFile);
    QCOMPARE(bMapChanged, changedAfter);
    if (map == "edited") {
        QVERIFY(iDmxMap == edited);
    } else if (map == "disk") {
        QVERIFY(iDmxMap == DiskMap());
    } else {
        QVERIFY(iDmxMap == ResetMap());
    }
    if (written)
        QCOMPARE(ReadBytes(sMapFile), MapToBytes(edited));
    else
        QVERIFY(!QFile::exists(old) && !QFile::exists(dir + QStringLiteral("new.CVX")));
}

void TestFileCommands::openShowsTheFileWithItsDeviceLists()
{
    EditorFixture f;
    const QString path = f.home.WorkFolder() + QStringLiteral("/disk.CVX");
    QVERIFY(WriteBytes(path, MapToBytes(DiskMap())));
    FileDialogScript dialogs({path});
    QStringList trace;
    toolkit::CallTrace::Install(&trace);
    f.w->mnuFileOpen_Click();
    toolkit::CallTrace::Install(nullptr);
    QCOMPARE(trace,
             QStringList({
                 "mnuFileOpen_Click",
                 "  FileOpen",
                 "  ShowScreen",
                 "    cboDevAdd_Click",
                 "      ShowScreen",
                 "        cboDevRange_Click",
                 "          ShowScreen",
             }));
    QCOMPARE(f.w->windowTitle(), QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   ") + path);
    QCOMPARE(f.w->cboDevAdd->currentText(), QStringLiteral("Device Address: 03"));
    QCOMPARE(f.w->cboDevRange->currentText(), QStringLiteral("Device Range: 7 / Switch Setting: 6"));
    QCOMPARE(f.Text(0), QStringLiteral("D:04.2"));
    QCOMPARE(bMapChanged, false);
}

// The cells whose text the file changes announce it once each, although three refreshes
// ran; the labels then read the file's outputs and the window's name its path.
void TestFileCommands::openIsHeardByAScreenReader()
{
    EditorFixture f;
    MapTable disk = DiskMap();
    disk[300] = 0;
    disk[511] = 100; // a foreign value reads "- - -", as before: no announcement
    const QString path = f.home.WorkFolder() + QStringLiteral("/disk.CVX");
    QVERIFY(WriteBytes(path, MapToBytes(disk)));
    FileDialogScript dialogs({path});
    AccessibilityOn on;
    QVERIFY(!AccessibleLabels(*f.w).isEmpty()); // the reader has read the grid
    f.w->mnuFileOpen_Click();

    const QList<QPair<toolkit::Cell, QString>> expected{{f.w->lblDimChan[0], QStringLiteral("D:04.2")},
                                                        {f.w->lblDimChan[300], QStringLiteral("D:03.1")}};
    QCOMPARE(AnnouncedCells(on), expected);
    QCOMPARE(QAccessible::queryAccessibleInterface(f.w.get())->text(QAccessible::Name),
             QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   ") + path);
    const QList<AccessibleNode> labels = AccessibleLabels(*f.w);
    QVERIFY(LabelsMatchTheGrid(*f.w, labels));
    QCOMPARE(labels[3].name, QStringLiteral("D:04.2"));
    QCOMPARE(labels[3 + 2 * 300].name, QStringLiteral("D:03.1"));
    QCOMPARE(labels[3 + 2 * 511].name, QStringLiteral("- - -"));
    QCOMPARE(labels[2 + 2 * 300].name, QStringLiteral("301"));
}

void TestFileCommands::saveOfATitledMapWritesAtOnceWithoutRefresh()
{
    EditorFixture f;
    FileDialogScript dialogs;
    sMapFile = f.home.WorkFolder() + QStringLiteral("/titled.CVX");
    iDmxMap[0] = 4;
    bMapChanged = true;
    QStringList trace;
    toolkit::CallTrace::Install(&trace);
    f.w->mnuFileSave_Click();
    toolkit::CallTrace::Install(nullptr);
    QCOMPARE(trace, QStringList({"mnuFileSave_Click", "  FileSave"}));
    QCOMPARE(f.w->windowTitle(), kNoneTitle); // not refreshed
    QCOMPARE(f.Text(0), QStringLiteral("- - -"));
    QCOMPARE(ReadBytes(sMapFile), MapToBytes(iDmxMap));
    QCOMPARE(bMapChanged, false);
    QCOMPARE(dialogs.Shown().size(), 0);
    QCOMPARE(f.boxes.Shown().size(), 0);
}

// The first dialog of a run starts at the pattern; later Opens start empty; a later
// Save As starts with the name the dialog last held.
void TestFileCommands::dialogStartingNames()
{
    EditorFixture f;
    const QString dir = f.home.WorkFolder() + QLatin1Char('/');
    const QString pattern = dir + QStringLiteral("*.CVX");
    QVERIFY(WriteBytes(dir + QStringLiteral("b.CVX"), MapToBytes(DiskMap())));
    FileDialogScript dialogs(
        {QString(), QString(), dir + QStringLiteral("a.CVX"), dir + QStringLiteral("b.CVX"), QString(), QString()});
    f.w->mnuFileOpen_Click();   // cancelled
    f.w->mnuFileOpen_Click();   // cancelled
    f.w->mnuFileSaveAs_Click(); // a.CVX
    f.w->mnuFileOpen_Click();   // b.CVX
    f.w->mnuFileSaveAs_Click(); // cancelled
    f.w->mnuFileOpen_Click();   // cancelled
    QCOMPARE(dialogs.Unexpected(), 0);
    QStringList starts;
    for (const ShownDialog &d : dialogs.Shown())
        starts << d.startName;
    QCOMPARE(starts, QStringList({pattern, QString(), QString(), QString(), dir + QStringLiteral("b.CVX"), QString()}));

    // A run whose first dialog is Save As starts there at the pattern too.
    f.w->bDialogPathSet = false;
    dialogs.Answer({QString()});
    f.w->mnuFileSaveAs_Click();
    QCOMPARE(dialogs.Shown().last().startName, pattern);
    QCOMPARE(f.w->bDialogPathSet, true);
    QCOMPARE(sMapFile, dir + QStringLiteral("b.CVX"));
}

void TestFileCommands::dialogAnswersThatChooseNothing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("empty name") << "";
    QTest::newRow("the starting pattern") << "pattern";
}

void TestFileCommands::dialogAnswersThatChooseNothing()
{
    QFETCH(QString, answer);
    EditorFixture f;
    const QString pattern = f.home.WorkFolder() + QStringLiteral("/*.CVX");
    FileDialogScript dialogs(
        {answer == "pattern" ? pattern : QStringLiteral(""), answer == "pattern" ? pattern : QStringLiteral("")});
    iDmxMap[0] = 1;
    bMapChanged = true;
    f.boxes.Answer({toolkit::vbYes});
    f.w->mnuFileOpen_Click();
    f.w->mnuFileSaveAs_Click();
    QCOMPARE(sMapFile, QStringLiteral("None"));
    QCOMPARE(bMapChanged, true);
    QCOMPARE(iDmxMap[0], int16_t(1));
    QVERIFY(!QFile::exists(pattern));
    QCOMPARE(QDir(f.home.WorkFolder()).entryList(QDir::Files), QStringList({"QRT Corvanta DMX Map.ini"}));
}

void TestFileCommands::menuCommandsHideTheChooser()
{
    EditorFixture f;
    FileDialogScript dialogs({QString(), QString(), QString()});
    for (QAction *action : {f.w->mnuFileNew, f.w->mnuFileOpen, f.w->mnuFileSave, f.w->mnuFileSaveAs}) {
        f.Press(12, Qt::LeftButton);
        QVERIFY(f.w->cboDimChan->isVisible());
        f.boxes.Answer({toolkit::vbNo});
        action->trigger();
        QVERIFY2(!f.w->cboDimChan->isVisible(), qPrintable(action->text()));
    }
}

// Each row: unsaved edits?, Exit or close, the prompt's answer, and whether the window closes.
void TestFileCommands::exitAndClose_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("exit, no edits") << false << "exit"
                                    << "" << true;
    QTest::newRow("exit, edits, No") << true << "exit"
                                     << "no" << false;
    QTest::newRow("exit, edits, Yes") << true << "exit"
                                      << "yes" << true;
    QTest::newRow("close, no edits") << false << "close"
                                     << "" << true;
    QTest::newRow("close, edits, No") << true << "close"
                                      << "no" << false;
    QTest::newRow("close, edits, Yes") << true << "close"
                                       << "yes" << true;
}

void TestFileCommands::exitAndClose()
{
    QFETCH(bool, changed);
    QFETCH(QString, how);
    QFETCH(QString, answer);
    QFETCH(bool, closes);
    EditorFixture f;
    iDmxMap[0] = 2;
    bMapChanged = changed;
    if (!answer.isEmpty())
        f.boxes.Answer({answer == "yes" ? toolkit::vbYes : toolkit::vbNo});
    if (how == "exit")
        f.w->mnuExit->trigger();
    else
        f.w->close();
    // One prompt at most: Exit's own, never a second one from the closing step.
    QCOMPARE(f.boxes.Shown(), answer.isEmpty() ? QList<ShownBox>() : QList<ShownBox>{kDiscardBox});
    QCOMPARE(f.boxes.Unexpected(), 0);
    QCOMPARE(f.w->isVisible(), !closes);
    QCOMPARE(f.w->bExitRequested, how == "exit" && closes);
    QCOMPARE(bMapChanged, changed);
}

// A map built in the editor, saved, and opened in a new window shows the same.
void TestFileCommands::savedMapOpensTheSameInANewWindow()
{
    TempHome home;
    MsgBoxScript boxes;
    const QString path = home.WorkFolder() + QStringLiteral("/stage.CVX");
    QStringList texts;
    {
        frmCVDMXMap w;
        w.ShowAndActivate();
        w.cboDevAdd->SetListIndex(2);
        w.cboDevRange->SetListIndex(11);
        w.iCurChan = 0;
        w.ChanSel();
        w.cboDimChan->SetListIndex(6);
        w.iMSStart = 0;
        w.iMSEnd = 8;
        w.cmdMSSeq_Click();
        FileDialogScript dialogs({path});
        w.mnuFileSave_Click();
        for (int i = 0; i < kChannels; ++i)
            texts << w.lblDimChan[i].Caption();
    }
    ClearMap();
    frmCVDMXMap again;
    again.ShowAndActivate();
    FileDialogScript dialogs({path});
    again.mnuFileOpen_Click();
    QStringList reopened;
    for (int i = 0; i < kChannels; ++i)
        reopened << again.lblDimChan[i].Caption();
    QCOMPARE(reopened, texts);
    QCOMPARE(texts.mid(0, 3), QStringList({"D:04.2", "D:04.3", "D:04.4"}));
    QCOMPARE(again.cboDevAdd->ListIndex(), 2);
    QCOMPARE(again.cboDevRange->ListIndex(), 11);
    QCOMPARE(boxes.Shown().size(), 0);
}

// Each row: the file opened first (labelled.CVX holds RigLabels, foreign.CVX ends in 4
// bytes of another program, plain.CVX has nothing after its map), the command after it,
// the file saved and what it then holds after its map, and the box shown.
void TestFileCommands::labelsGoWithTheDocument_data()
{
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("tail"); // "labels", "foreign", "none", or "kept": the target's own bytes
    QTest::addColumn<bool>("refused");
    QTest::newRow("save keeps the labels") << "labelled.CVX"
                                           << "save"
                                           << "labelled.CVX"
                                           << "labels" << false;
    QTest::newRow("save as carries them to a new file") << "labelled.CVX"
                                                        << "saveas"
                                                        << "new.CVX"
                                                        << "labels" << false;
    QTest::newRow("save as puts them in place of a file's labels") << "labelled.CVX"
                                                                   << "saveas"
                                                                   << "other.CVX"
                                                                   << "labels" << false;
    QTest::newRow("save as over a plain map") << "labelled.CVX"
                                              << "saveas"
                                              << "plain.CVX"
                                              << "labels" << false;
    QTest::newRow("save as refuses to overwrite what is not labels") << "labelled.CVX"
                                                                     << "saveas"
                                                                     << "foreign.CVX"
                                                                     << "kept" << true;
    QTest::newRow("new drops them") << "labelled.CVX"
                                    << "new, saveas"
                                    << "new.CVX"
                                    << "none" << false;
    QTest::newRow("another file's lack of them") << "labelled.CVX"
                                                 << "open plain, saveas"
                                                 << "new.CVX"
                                                 << "none" << false;
    QTest::newRow("save as from a file whose tail is not labels") << "foreign.CVX"
                                                                  << "saveas"
                                                                  << "new.CVX"
                                                                  << "none" << false;
    QTest::newRow("save keeps a tail that is not labels") << "foreign.CVX"
                                                          << "save"
                                                          << "foreign.CVX"
                                                          << "foreign" << false;
}

void TestFileCommands::labelsGoWithTheDocument()
{
    QFETCH(QString, opened);
    QFETCH(QString, command);
    QFETCH(QString, target);
    QFETCH(QString, tail);
    QFETCH(bool, refused);
    EditorFixture f;
    const QString dir = f.home.WorkFolder() + QLatin1Char('/');
    const QByteArray foreignTail = QByteArray::fromHex("DEADBEEF");
    MapLabels other;
    other.outputs[0] = QStringLiteral("Other");
    QVERIFY(WriteBytes(dir + QStringLiteral("labelled.CVX"), MapToBytes(DiskMap()) + LabelsBlock(RigLabels())));
    QVERIFY(WriteBytes(dir + QStringLiteral("foreign.CVX"), MapToBytes(DiskMap()) + foreignTail));
    QVERIFY(WriteBytes(dir + QStringLiteral("plain.CVX"), MapToBytes(EmptyMap())));
    QVERIFY(WriteBytes(dir + QStringLiteral("other.CVX"), MapToBytes(EmptyMap()) + LabelsBlock(other)));
    const QByteArray targetBefore = ReadBytes(dir + target);
    FileDialogScript dialogs({dir + opened});
    f.w->mnuFileOpen_Click();
    QVERIFY(tMapLabels == (opened == "labelled.CVX" ? RigLabels() : MapLabels()));

    if (command.contains("new"))
        f.w->mnuFileNew_Click();
    if (command.contains("open plain")) {
        dialogs.Answer({dir + QStringLiteral("plain.CVX")});
        f.w->mnuFileOpen_Click();
    }
    iDmxMap[10] = 33; // an edit, so that every command writes
    bMapChanged = true;
    const MapTable edited = iDmxMap;
    const QString before = sMapFile;
    if (command.endsWith("saveas")) {
        dialogs.Answer({dir + target});
        f.w->mnuFileSaveAs_Click();
    } else {
        f.w->mnuFileSave_Click();
    }

    QCOMPARE(dialogs.Unexpected(), 0);
    if (refused) {
        QCOMPARE(f.boxes.Shown(),
                 QList<ShownBox>{FileErrorBox(QStringLiteral("Unable To Save Map File.\r\n") + dir + target
                                              + QStringLiteral("\r\nthe file ends in 4 bytes that are not labels; "
                                                               "labels would overwrite them"))});
        QCOMPARE(ReadBytes(dir + target), targetBefore);
        QCOMPARE(sMapFile, before);
        QCOMPARE(bMapChanged, true);
        QVERIFY(tMapLabels == RigLabels());
        return;
    }
    QCOMPARE(f.boxes.Shown(), QList<ShownBox>());
    const QByteArray after = tail == "labels" ? LabelsBlock(RigLabels())
        : tail == "foreign"                   ? foreignTail
                                              : QByteArray();
    QCOMPARE(ReadBytes(dir + target), MapToBytes(edited) + after);
    QCOMPARE(sMapFile, dir + target);
    QCOMPARE(bMapChanged, false);
}

// A cell showing a labelled output gives the label as its tooltip and accessible
// description, announced as it comes and goes; other cells have none. The label stays
// with its entry when the address renumbers the outputs.
void TestFileCommands::labelledCellsDescribeTheirOutput()
{
    EditorFixture f;
    MapTable map = DiskMap(); // address 03; channel 1 on entry 5
    map[1] = 62;              // labelled, but past device 16
    map[2] = 6;               // an output without a label
    map[3] = 5;
    const QString path = f.home.WorkFolder() + QStringLiteral("/rig.CVX");
    QVERIFY(WriteBytes(path, MapToBytes(map) + LabelsBlock(RigLabels())));
    FileDialogScript dialogs({path});
    AccessibilityOn on;
    QVERIFY(!AccessibleLabels(*f.w).isEmpty()); // the reader has read the grid
    f.w->mnuFileOpen_Click();

    const auto described = [&] {
        QStringList texts;
        const QList<AccessibleNode> labels = AccessibleLabels(*f.w);
        for (int i = 0; i < kChannels; ++i) {
            if (labels[3 + 2 * i].description != f.w->lblDimChan[i].Description())
                return QStringList({"the description read differs from the cell's"});
            texts << labels[3 + 2 * i].description;
        }
        return texts;
    };
    const auto announced = [&] {
        const QList<toolkit::Cell> cells = AnnouncedCells(on, QAccessible::DescriptionChanged);
        on.Clear();
        return cells;
    };
    // The tooltip of the pointer resting on output cell i.
    const auto tooltip = [&](int i) {
        const QPoint at = f.w->lblDimChan[i].Rect().topLeft() + QPoint(5, 5);
        QHelpEvent help(QEvent::ToolTip, at, f.w->grid->mapToGlobal(at));
        QApplication::sendEvent(f.w->grid, &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        // Hidden at once: Qt's own hiding waits for a timer.
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->inherits("QTipLabel"))
                top->close();
        }
        return text;
    };
    QStringList expected(kChannels, QString());
    expected[0] = expected[3] = QStringLiteral("Cyc 🎭 left");
    QCOMPARE(described(), expected);
    QCOMPARE(announced(), (QList<toolkit::Cell>{f.w->lblDimChan[0], f.w->lblDimChan[3]}));
    QCOMPARE(f.Text(0), QStringLiteral("D:04.2")); // the caption as before
    QCOMPARE(tooltip(3), QStringLiteral("Cyc 🎭 left"));
    QCOMPARE(tooltip(2), QString());
    QCOMPARE(tooltip(1), QString());

    // Address 01: entry 62 is D:10.3 and shows its label; entry 5 is D:02.2.
    f.w->cboDevAdd->SetListIndex(0);
    expected[1] = QStringLiteral("Hidden");
    QCOMPARE(described(), expected);
    QCOMPARE(announced(), QList<toolkit::Cell>{f.w->lblDimChan[1]});
    QCOMPARE(tooltip(1), QStringLiteral("Hidden"));
    // A refresh that changes nothing announces nothing.
    f.w->ShowScreen();
    QCOMPARE(announced(), QList<toolkit::Cell>());

    bMapChanged = false;
    f.w->mnuFileNew_Click();
    QCOMPARE(described(), QStringList(kChannels, QString()));
    QCOMPARE(announced(), (QList<toolkit::Cell>{f.w->lblDimChan[0], f.w->lblDimChan[1], f.w->lblDimChan[3]}));
    QCOMPARE(tooltip(3), QString());
}

// Each row: a command that fails, the file chosen ('@' is the working folder; none for
// Save) and the file error shown. Every box of the command, the discard prompt and the
// error alike, is shown while the document is still the one before the command: its file,
// its flag, its map and labels and the window's title; and so it stays.
void TestFileCommands::boxesSeeTheDocumentAsItWas_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("error");
    QTest::newRow("open: not a map") << "open"
                                     << "@/short.CVX"
                                     << "Not A Valid Map File.\r\n@/short.CVX";
    QTest::newRow("open: missing") << "open"
                                   << "@/missing.CVX"
                                   << "Unable To Open Map File.\r\n@/missing.CVX\r\nNo such file or directory";
    QTest::newRow("save as: a missing folder")
        << "saveas"
        << "@/nowhere/x.CVX"
        << "Unable To Save Map File.\r\n@/nowhere/x.CVX\r\nNo such file or directory";
    QTest::newRow("save: the file's folder is gone")
        << "save"
        << ""
        << "Unable To Save Map File.\r\n@/gone/titled.CVX\r\nNo such file or directory";
}

void TestFileCommands::boxesSeeTheDocumentAsItWas()
{
    QFETCH(QString, command);
    QFETCH(QString, chosen);
    QFETCH(QString, error);
    EditorFixture f;
    const QString dir = f.home.WorkFolder();
    chosen.replace(QLatin1Char('@'), dir);
    error.replace(QLatin1Char('@'), dir);
    QVERIFY(WriteBytes(dir + QStringLiteral("/short.CVX"), QByteArray(10, '\0')));
    sMapFile = dir + QStringLiteral("/gone/titled.CVX");
    iDmxMap[10] = 33;
    tMapLabels = RigLabels();
    bMapChanged = true;
    f.w->ShowScreen();
    const MapTable map = iDmxMap;
    const QString title = f.w->windowTitle();
    const QString document = sMapFile + QStringLiteral(" changed ") + title;

    FileDialogScript dialogs({chosen});
    QStringList seen;
    QList<ShownBox> boxes;
    toolkit::SetMsgBoxResponder([&](const QString &text, int buttons, const QString &boxTitle) {
        boxes.append({text, buttons, boxTitle});
        const bool same = iDmxMap == map && tMapLabels == RigLabels();
        seen << sMapFile + (bMapChanged ? QStringLiteral(" changed ") : QStringLiteral(" unchanged "))
                + f.w->windowTitle() + (same ? QString() : QStringLiteral(" (another map)"));
        return int(buttons == toolkit::vbYesNo + toolkit::vbQuestion ? toolkit::vbYes : toolkit::vbOK);
    });
    f.FileCommand(command);
    toolkit::SetMsgBoxResponder({});

    QList<ShownBox> expected{FileErrorBox(error)};
    if (command == "open")
        expected.prepend(kDiscardBox);
    QCOMPARE(boxes, expected);
    QCOMPARE(seen, QStringList(expected.size(), document));
    QCOMPARE(dialogs.Shown().size(), command == "save" ? 0 : 1);
    QCOMPARE(sMapFile, dir + QStringLiteral("/gone/titled.CVX"));
    QCOMPARE(bMapChanged, true);
    QVERIFY(iDmxMap == map);
    QCOMPARE(tMapLabels, RigLabels());
    QCOMPARE(f.w->windowTitle(), title);
}

QTEST_MAIN(TestFileCommands)
#include "test_filecommands.moc"
