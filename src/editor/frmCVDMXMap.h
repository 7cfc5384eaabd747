#pragma once
#include "toolkit/CellGrid.h"
#include "toolkit/ComboList.h"

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QPushButton;
class QScrollArea;
class frmCVDMXMapComm;
namespace toolkit {
class FileDialog;
}

// The main window: the 512-channel grid of the output map, the device lists,
// the output chooser, the range buttons and the File and Download menus.
// Constructing it loads it (Form_Load); ShowAndActivate shows it and runs Form_Activate.
class frmCVDMXMap : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 1321;
    static constexpr int kClientHeight = 673;

    explicit frmCVDMXMap(QWidget *parent = nullptr);
    ~frmCVDMXMap() override;

    void ShowAndActivate();

    // Window variables.
    bool bExitRequested = false;
    bool bDialogPathSet = false;
    int16_t iCurChan = 0;
    int16_t iMSStart = 0;
    int16_t iMSEnd = 0;
    bool bMSActive = false;

    // Controls.
    QWidget *client = nullptr;
    QScrollArea *clientScroll = nullptr; // holds the client on a screen too small for the window
    toolkit::ComboList *cboDevAdd = nullptr;
    toolkit::ComboList *cboDevRange = nullptr;
    toolkit::CellGrid *grid = nullptr; // draws the legends and the channels' cells
    toolkit::Cell lblHeader;
    toolkit::Cell Label1;
    toolkit::ComboList *cboDimChan = nullptr;
    QPushButton *cmdMSClear = nullptr;
    QPushButton *cmdMSCopy = nullptr;
    QPushButton *cmdMSSeq = nullptr;
    toolkit::CellArray lblDMXChan; // the channel number cells, one per channel
    toolkit::CellArray lblDimChan; // the output cells, one per channel
    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuDiv1 = nullptr;
    QAction *mnuExit = nullptr;
    QAction *mnuDownload = nullptr;
    std::unique_ptr<toolkit::FileDialog> cdFile;
    std::unique_ptr<frmCVDMXMapComm> commWindow; // created by the first Download command

    // Start-up and activation.
    void Form_Load();
    void Form_Activate();

    // Display and selection.
    void ShowMS();
    void ShowScreen();
    void ChanSel();
    void lblDimChan_MouseDown(int Index, int Button, int Shift, int X, int Y);
    void lblDimChan_Click(int Index);
    void lblDMXChan_Click(int Index);
    void Form_Click();
    void Form_DblClick();
    void Label1_Click();
    void lblHeader_Click();

    // Editing.
    void cboDimChan_Click();
    void cboDevAdd_Click();
    void cboDevRange_Click();
    void cmdMSClear_Click();
    void cmdMSCopy_Click();
    void cmdMSSeq_Click();

    // File commands.
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuExit_Click();
    void Form_QueryUnload(bool &Cancel, int UnloadMode);
    // Opens map file n, as File/Open opens the file chosen in its dialog, and refreshes
    // the window: for a file named on the command line.
    void OpenMapFile(const QString &n);

    // Download.
    void mnuDownload_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The multi-select range from its first (smaller) channel to its last, whichever end
    // was marked first.
    struct Range {
        int first;
        int last;
    };
    Range MSRange() const;

    void BuildDesign();
    void BuildGrid();
    void FitScreen();
    void UnloadCommWindow();
    std::optional<QString> AskFileName(bool save);
};
