// The File menu: New, Open, Save, Save As, Exit, and closing the window.
#include "editor/frmCVDMXMap.h"

#include "document/modCVDMXMap.h"
#include "editor/DocumentGlobals.h"
#include "platform/Paths.h"
#include "toolkit/CallTrace.h"
#include "toolkit/FileDialog.h"
#include "toolkit/MsgBox.h"

using namespace modCVDMXMap;

namespace {

const QString kFilter = QStringLiteral("QRT Corvanta DMX Map Files (*.CVX)|*.CVX|All Files (*.*)|*.*");
// Ask before replacing a file, no read-only box, only existing folders, and for Open only
// an existing file: 6150.
constexpr int kDialogFlags = toolkit::cdlOFNOverwritePrompt | toolkit::cdlOFNHideReadOnly | toolkit::cdlOFNPathMustExist
    | toolkit::cdlOFNFileMustExist;

QString StartPattern()
{
    return platform::LocalPath(kWorkFolder + QStringLiteral("\\*.CVX"));
}

bool AskDiscard()
{
    return toolkit::MsgBox(QStringLiteral("Discard Any Changes?"), toolkit::vbYesNo + toolkit::vbQuestion,
                           QStringLiteral("QRT Corvanta DMX Map"))
        != toolkit::vbNo;
}

// The discard prompt step: asks only while the map holds unsaved edits.
bool DiscardPromptStep()
{
    return !bMapChanged || AskDiscard();
}

// Reports a map file that could not be read or written.
void ReportFileError(const MapFileError &error, const QString &path)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    switch (error.kind) {
    case MapFileError::None:
        return;
    case MapFileError::NotValid:
        text = QStringLiteral("Not A Valid Map File.") + crlf + path;
        break;
    case MapFileError::CannotOpen:
        text = QStringLiteral("Unable To Open Map File.") + crlf + path + crlf + error.reason;
        break;
    case MapFileError::CannotSave:
        text = QStringLiteral("Unable To Save Map File.") + crlf + path + crlf + error.reason;
        break;
    }
    toolkit::MsgBox(text, toolkit::vbExclamation, QStringLiteral("File Error"));
}

} // namespace

// The dialog steps that Open and Save As share: the starting pattern on the first use
// in the run, the dialog itself, and the name chosen, if any.
std::optional<QString> frmCVDMXMap::AskFileName(bool save)
{
    cdFile->Filter = kFilter;
    if (!bDialogPathSet) {
        bDialogPathSet = true;
        cdFile->FileName = StartPattern();
    }
    cdFile->Flags = kDialogFlags;
    if (!(save ? cdFile->ShowSave() : cdFile->ShowOpen()))
        return std::nullopt;
    const QString n = cdFile->FileName;
    if (n.isEmpty() || n == StartPattern())
        return std::nullopt;
    return n;
}

void frmCVDMXMap::FileOpen()
{
    CVDMX_TRACE("FileOpen");
    if (!DiscardPromptStep())
        return;
    cdFile->FileName.clear();
    if (const std::optional<QString> n = AskFileName(false))
        ReportFileError(ReadMapFile(*n), *n);
}

void frmCVDMXMap::OpenMapFile(const QString &n)
{
    ReportFileError(ReadMapFile(n), n);
    ShowScreen();
}

void frmCVDMXMap::FileSave()
{
    CVDMX_TRACE("FileSave");
    ReportFileError(WriteMapFile(sMapFile), sMapFile);
}

void frmCVDMXMap::FileSaveAs()
{
    CVDMX_TRACE("FileSaveAs");
    if (const std::optional<QString> n = AskFileName(true))
        ReportFileError(WriteMapFile(*n), *n);
}

void frmCVDMXMap::mnuFileNew_Click()
{
    CVDMX_TRACE("mnuFileNew_Click");
    cboDimChan->hide();
    if (!DiscardPromptStep())
        return;
    bMapChanged = false;
    ClearMap();
    ShowScreen();
}

void frmCVDMXMap::mnuFileOpen_Click()
{
    CVDMX_TRACE("mnuFileOpen_Click");
    cboDimChan->hide();
    FileOpen();
    ShowScreen();
}

void frmCVDMXMap::mnuFileSave_Click()
{
    CVDMX_TRACE("mnuFileSave_Click");
    cboDimChan->hide();
    if (sMapFile == kNoFile) {
        FileSaveAs();
        ShowScreen();
    } else {
        FileSave();
    }
}

void frmCVDMXMap::mnuFileSaveAs_Click()
{
    CVDMX_TRACE("mnuFileSaveAs_Click");
    cboDimChan->hide();
    FileSaveAs();
    ShowScreen();
}

void frmCVDMXMap::mnuExit_Click()
{
    CVDMX_TRACE("mnuExit_Click");
    cboDimChan->hide();
    if (DiscardPromptStep()) {
        bExitRequested = true;
        UnloadCommWindow();
        close();
    }
}

void frmCVDMXMap::Form_QueryUnload(bool &Cancel, int /*UnloadMode*/)
{
    CVDMX_TRACE("Form_QueryUnload");
    if (!bExitRequested && bMapChanged && !AskDiscard()) {
        Cancel = true;
        return;
    }
    UnloadCommWindow();
}
