// Painting the grid from the map, the output chooser and the multi-select range.
#include "editor/frmCVDMXMap.h"

#include "document/OutputLabel.h"
#include "document/modCVDMXMap.h"
#include "toolkit/CallTrace.h"
#include "toolkit/Caption.h"
#include "toolkit/Palette.h"

#include "document/Outputs.h"
#include <QPushButton>
#include <algorithm>

using namespace modCVDMXMap;

namespace {
constexpr int kChooserWidth = 73;
} // namespace

void frmCVDMXMap::ShowScreen()
{
    CVDMX_TRACE("ShowScreen");
    if (sMapFile == kNoFile)
        toolkit::SetCaption(this, sMainCaption + QStringLiteral("   (None)"));
    else
        toolkit::SetCaption(this, sMainCaption + QStringLiteral("   ") + sMapFile);
    cboDevAdd->SetListIndex(GetDevAdd());
    cboDevRange->SetListIndex(GetDevRange());
    const int a = cboDevAdd->ListIndex();
    for (int i = 0; i < kChannels; ++i) {
        lblDimChan[i].SetCaption(OutputLabel(iDmxMap[i], a));
        lblDimChan[i].SetDescription(CellLabelOf(iDmxMap[i], a, tMapLabels));
    }
}

void frmCVDMXMap::ChanSel()
{
    CVDMX_TRACE("ChanSel");
    cboDimChan->Clear();
    // Over the current output cell; in the last column it stays inside the window,
    // where Qt would otherwise clip its arrow.
    const toolkit::Cell cell = lblDimChan[iCurChan];
    cboDimChan->move(std::min(cell.Left(), kClientWidth - kChooserWidth), cell.Top());
    cboDimChan->AddItem(QStringLiteral("None"));
    const int a = cboDevAdd->ListIndex();
    for (int k = 0; k <= kLastOutput; ++k)
        cboDimChan->AddItem(OutputLabel(int16_t(k), a));
    const int16_t entry = iDmxMap[iCurChan];
    cboDimChan->SetListIndex(entry < 0 || entry > kLastOutput ? 0 : entry + 1);
    cboDimChan->show();
}

frmCVDMXMap::Range frmCVDMXMap::MSRange() const
{
    return {std::min(iMSStart, iMSEnd), std::max(iMSStart, iMSEnd)};
}

void frmCVDMXMap::ShowMS()
{
    CVDMX_TRACE("ShowMS");
    cmdMSClear->setVisible(bMSActive);
    cmdMSCopy->setVisible(bMSActive);
    cmdMSSeq->setVisible(bMSActive);
    const auto [lo, hi] = MSRange();
    for (int i = 0; i < kChannels; ++i) {
        if (!bMSActive)
            lblDimChan[i].SetBackColor(toolkit::kPaleYellow);
        else if (i < lo || i > hi)
            lblDimChan[i].SetBackColor(toolkit::kSilverGrey);
        else if (i == lo)
            lblDimChan[i].SetBackColor(toolkit::kWhite);
        else
            lblDimChan[i].SetBackColor(toolkit::kPaleYellow);
    }
}

void frmCVDMXMap::lblDimChan_MouseDown(int Index, int Button, int Shift, int /*X*/, int /*Y*/)
{
    CVDMX_TRACE("lblDimChan_MouseDown");
    if (Button == toolkit::vbLeftButton) {
        bMSActive = false;
        ShowMS();
        iCurChan = int16_t(Index);
        ChanSel();
        return;
    }
    cboDimChan->hide();
    if (Shift == 0) {
        iMSStart = int16_t(Index);
        iMSEnd = int16_t(Index);
        bMSActive = true;
        ShowMS();
    } else if (bMSActive) {
        iMSEnd = int16_t(Index);
        ShowMS();
    }
}

void frmCVDMXMap::lblDimChan_Click(int /*Index*/)
{
    CVDMX_TRACE("lblDimChan_Click");
}

void frmCVDMXMap::lblDMXChan_Click(int Index)
{
    CVDMX_TRACE("lblDMXChan_Click");
    iCurChan = int16_t(Index);
    ChanSel();
}

void frmCVDMXMap::Form_Click()
{
    CVDMX_TRACE("Form_Click");
    cboDimChan->hide();
}
void frmCVDMXMap::Form_DblClick()
{
    CVDMX_TRACE("Form_DblClick");
    cboDimChan->hide();
}
void frmCVDMXMap::Label1_Click()
{
    CVDMX_TRACE("Label1_Click");
    cboDimChan->hide();
}
void frmCVDMXMap::lblHeader_Click()
{
    CVDMX_TRACE("lblHeader_Click");
    cboDimChan->hide();
}
