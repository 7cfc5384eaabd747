#include "editor/frmCVDMXMap.h"

#include "comm/frmCVDMXMapComm.h"
#include "document/DeviceLists.h"
#include "document/modCVDMXMap.h"
#include "editor/DocumentGlobals.h"
#include "editor/WindowIcon.h"
#include "platform/Folder.h"
#include "toolkit/CallTrace.h"
#include "toolkit/Caption.h"
#include "toolkit/FileDialog.h"
#include "toolkit/MsgBox.h"
#include "toolkit/OuterSize.h"
#include "toolkit/Palette.h"
#include "toolkit/Twips.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

using namespace modCVDMXMap;

namespace {

// The designed face where it is installed, else the window's. The font database is asked
// first: a font naming a family that is not installed sends Qt through a search of
// fontconfig's substitutes before it falls back, some 3% of the window's start-up.
QFont LegendFont()
{
    const QString designed = QStringLiteral("MS Sans Serif");
    QFont font(QFontDatabase::families().contains(designed, Qt::CaseInsensitive) ? designed
                                                                                 : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13); // 9.75 point at 96 dots per inch
    return font;
}

// The grid: 16 columns of 32 channels, filled column by column, below the header row.
constexpr int kGridRows = 32;
constexpr int kGridColumns = modCVDMXMap::kChannels / kGridRows;
constexpr int kGridTop = 32;
constexpr int kColumnPitch = 82;
constexpr int kRowPitch = 20;
// A channel's cells in its column: the number cell from 8 pixels, the output cell from
// 40, so that the two share a column of pixels.
constexpr QRect kNumberCell(8, 0, 33, 17);
constexpr QRect kOutputCell(40, 0, 41, 17);
// The window's top edge below the screen's, as designed.
constexpr int kWindowTopTwips = 60;

toolkit::Cell Legend(toolkit::CellGrid *grid, const QString &text, const QColor &back, const QRect &rect)
{
    const toolkit::Cell legend = grid->AddCell({rect, LegendFont(), back});
    legend.SetCaption(text);
    legend.SetVisible(true);
    return legend;
}

// An 11-pixel font shows "Sequence Values" whole inside a 97-pixel button.
QPushButton *Button(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *button = new QPushButton(text, parent);
    QFont font = parent->font();
    font.setPixelSize(11);
    button->setFont(font);
    button->setGeometry(geometry);
    button->hide();
    return button;
}

} // namespace

frmCVDMXMap::frmCVDMXMap(QWidget *parent) : QMainWindow(parent)
{
    BuildDesign();
    Form_Load();
}

frmCVDMXMap::~frmCVDMXMap() = default;

// The window as designed: the controls and menus with their design-time properties.
void frmCVDMXMap::BuildDesign()
{
    toolkit::SetCaption(this, QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01"));
    setWindowIcon(WindowIcon());
    // A default font by pixel size, so that the widest output text fits a 41-pixel cell.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    setFont(font);

    client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, toolkit::kWindowGrey);
    client->setPalette(pal);
    client->installEventFilter(this);
    setCentralWidget(client);
    BuildGrid();

    cboDevAdd = new toolkit::ComboList(client);
    cboDevAdd->setGeometry(8, 0, 129, 21);
    cboDevAdd->SetClickHandler([this] { cboDevAdd_Click(); });
    cboDevRange = new toolkit::ComboList(client);
    cboDevRange->setGeometry(144, 0, 209, 21);
    // Small enough for "Device Range: 16 / Switch Setting: F" to show whole in 209 pixels.
    QFont listFont = font;
    listFont.setPixelSize(10);
    cboDevAdd->setFont(listFont);
    cboDevRange->setFont(listFont);
    cboDevRange->SetClickHandler([this] { cboDevRange_Click(); });
    cboDimChan = new toolkit::ComboList(client);
    cboDimChan->setGeometry(632, 0, 73, 21);
    cboDimChan->hide();
    cboDimChan->SetClickHandler([this] { cboDimChan_Click(); });
    cmdMSClear = Button(client, QStringLiteral("Clear Values"), {1008, 0, 97, 25});
    connect(cmdMSClear, &QPushButton::clicked, this, [this] { cmdMSClear_Click(); });
    cmdMSCopy = Button(client, QStringLiteral("Copy Values"), {1112, 0, 97, 25});
    connect(cmdMSCopy, &QPushButton::clicked, this, [this] { cmdMSCopy_Click(); });
    cmdMSSeq = Button(client, QStringLiteral("Sequence Values"), {1216, 0, 97, 25});
    connect(cmdMSSeq, &QPushButton::clicked, this, [this] { cmdMSSeq_Click(); });

    setTabOrder(cboDevAdd, cboDevRange);
    setTabOrder(cboDevRange, cboDimChan);
    setTabOrder(cboDimChan, cmdMSCopy);
    setTabOrder(cmdMSCopy, cmdMSClear);
    setTabOrder(cmdMSClear, cmdMSSeq);

    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuFileNew = mnuFile->addAction(QStringLiteral("New"), this, [this] { mnuFileNew_Click(); });
    mnuFileOpen = mnuFile->addAction(QStringLiteral("Open"), this, [this] { mnuFileOpen_Click(); });
    mnuFileSave = mnuFile->addAction(QStringLiteral("Save"), this, [this] { mnuFileSave_Click(); });
    mnuFileSaveAs = mnuFile->addAction(QStringLiteral("Save As"), this, [this] { mnuFileSaveAs_Click(); });
    mnuDiv1 = mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("Exit"), this, [this] { mnuExit_Click(); });
    mnuDownload = menuBar()->addAction(QStringLiteral("Download"), this, [this] { mnuDownload_Click(); });

    cdFile = std::make_unique<toolkit::FileDialog>(this);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    FitScreen();
}

// A window larger than the screen's free area shows its client in a scroll area and takes
// what room there is, growing no larger than its own size with the scroll bars it needs:
// every control keeps its place in the client and can be scrolled to. Where the window
// fits, nothing changes.
void frmCVDMXMap::FitScreen()
{
    const QRect available = screen()->availableGeometry();
    const QSize outer = toolkit::OuterSize(this);
    if (outer.width() <= available.width() && outer.height() <= available.height())
        return;
    const QSize natural = size();
    const QSize room = available.size() - (outer - natural);
    clientScroll = new QScrollArea(this);
    clientScroll->setFrameShape(QFrame::NoFrame);
    clientScroll->setWidget(takeCentralWidget());
    setCentralWidget(clientScroll);
    // A scroll bar across takes height, one down takes width, and either may then call
    // for the other.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, clientScroll);
    const bool wide
        = natural.width() > room.width() || (natural.height() > room.height() && natural.width() + bar > room.width());
    const bool tall = natural.height() > room.height() || (wide && natural.height() + bar > room.height());
    const QSize largest = natural + QSize(tall ? bar : 0, wide ? bar : 0);
    // No longer of a fixed size: as small as the layout allows, as large as needs be.
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    setMinimumSize(layout()->minimumSize());
    setMaximumSize(largest);
    resize(largest.boundedTo(room));
}

// The legends and the channels' cells, drawn by one widget beneath every other control of
// the client area, which it covers: the cells' positions are the client area's.
void frmCVDMXMap::BuildGrid()
{
    grid = new toolkit::CellGrid({0, kGridTop, kColumnPitch, kRowPitch, kGridRows, kGridColumns}, client);
    grid->setGeometry(client->rect());
    lblHeader = Legend(grid, QStringLiteral("DMX Channel"), toolkit::kLightCyan, {400, 0, 97, 21});
    grid->ArrayOf(lblHeader).OnClick([this](int) { lblHeader_Click(); });
    Label1 = Legend(grid, QStringLiteral("Dimmer Output"), toolkit::kPaleYellow, {496, 0, 105, 21});
    grid->ArrayOf(Label1).OnClick([this](int) { Label1_Click(); });
    lblDMXChan = grid->AddPitchedArray({kNumberCell, font(), toolkit::kLightCyan, Qt::AlignCenter});
    // One pixel smaller than the window's font: "D:0B.4" and its like need 42 pixels at 12.
    QFont outputFont = font();
    outputFont.setPixelSize(11);
    lblDimChan = grid->AddPitchedArray({kOutputCell, outputFont, toolkit::kPaleYellow, Qt::AlignCenter});
    lblDMXChan.OnClick([this](int i) { lblDMXChan_Click(i); });
    lblDimChan.OnClick([this](int i) { lblDimChan_Click(i); });
    lblDimChan.OnMouseDown(
        [this](int i, int button, int shift, int x, int y) { lblDimChan_MouseDown(i, button, shift, x, y); });
}

void frmCVDMXMap::Form_Load()
{
    CVDMX_TRACE("Form_Load");
    const QRect screenArea = screen()->geometry();
    const QSize outer = toolkit::OuterSize(this);
    const int top = kWindowTopTwips / toolkit::kTwipsPerPixel;
    const double left
        = (double(screenArea.width()) * toolkit::kTwipsPerPixel - double(outer.width()) * toolkit::kTwipsPerPixel) / 2;
    QPoint position(screenArea.x() + int(left / toolkit::kTwipsPerPixel), screenArea.y() + top);
    if (clientScroll) {
        // A window fitted to the free area stands inside it.
        const QRect available = screen()->availableGeometry();
        position.setX(
            std::max(available.left(), std::min(position.x(), available.left() + available.width() - outer.width())));
        position.setY(
            std::max(available.top(), std::min(position.y(), available.top() + available.height() - outer.height())));
    }
    move(position);

    sMainCaption = toolkit::Caption(this);

    if (!platform::FolderExists(WorkFolderPath())) {
        QString reason;
        if (!platform::CreateFolder(WorkFolderPath(), &reason))
            toolkit::MsgBox(QStringLiteral("Unable To Create Folder.\r\n") + WorkFolderPath(), toolkit::vbExclamation,
                            QStringLiteral("Folder Error"));
    }
    LoadSettings();
    CheckComPort();

    sMapFile = kNoFile;
    ClearMap();

    // Each channel's cells stand where the grid's pitch puts them: column i / 32, row i % 32.
    for (int i = 0; i < kChannels; ++i) {
        lblDMXChan[i].SetCaption(QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        lblDMXChan[i].SetVisible(true);
        lblDimChan[i].SetVisible(true);
    }

    cboDevAdd->Clear();
    for (int i = 0; i < kDeviceListEntries; ++i)
        cboDevAdd->AddItem(DeviceAddressText(i));
    cboDevRange->Clear();
    for (int i = 0; i < kDeviceListEntries; ++i)
        cboDevRange->AddItem(DeviceRangeText(i));

    cboDevAdd->SetListIndex(0);
    cboDevRange->SetListIndex(0);

    ClearMap();
    bMapChanged = false;
}

void frmCVDMXMap::Form_Activate()
{
    CVDMX_TRACE("Form_Activate");
    bMSActive = false;
    ShowScreen();
}

void frmCVDMXMap::ShowAndActivate()
{
    show();
    Form_Activate();
}

void frmCVDMXMap::closeEvent(QCloseEvent *event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, 0);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

bool frmCVDMXMap::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == client) {
        if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
            && client->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            Form_Click();
        else if (event->type() == QEvent::MouseButtonDblClick)
            Form_DblClick();
    }
    return QMainWindow::eventFilter(watched, event);
}
