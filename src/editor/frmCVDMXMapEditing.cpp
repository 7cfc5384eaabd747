// Storing the chosen output, device address and range, and the range commands.
#include "editor/frmCVDMXMap.h"

#include "document/modCVDMXMap.h"
#include "toolkit/CallTrace.h"
#include "toolkit/MsgBox.h"

#include <algorithm>

using namespace modCVDMXMap;

void frmCVDMXMap::cboDimChan_Click()
{
    CVDMX_TRACE("cboDimChan_Click");
    const int n = cboDimChan->ListIndex();
    iDmxMap[iCurChan] = n == 0 ? kNoOutput : int16_t(n - 1);
    cboDimChan->hide();
    ShowScreen();
    bMapChanged = true;
}

void frmCVDMXMap::cboDevAdd_Click()
{
    CVDMX_TRACE("cboDevAdd_Click");
    cboDimChan->hide();
    SetDevAdd(int16_t(cboDevAdd->ListIndex()));
    ShowScreen();
}

void frmCVDMXMap::cboDevRange_Click()
{
    CVDMX_TRACE("cboDevRange_Click");
    cboDimChan->hide();
    SetDevRange(int16_t(cboDevRange->ListIndex()));
    ShowScreen();
}

void frmCVDMXMap::cmdMSClear_Click()
{
    CVDMX_TRACE("cmdMSClear_Click");
    const Range range = MSRange();
    for (int c = range.first; c <= range.last; ++c)
        iDmxMap[c] = kNoOutput;
    ShowScreen();
    bMapChanged = true;
}

void frmCVDMXMap::cmdMSCopy_Click()
{
    CVDMX_TRACE("cmdMSCopy_Click");
    const Range range = MSRange();
    const int16_t value = iDmxMap[range.first];
    std::fill(iDmxMap.begin() + range.first, iDmxMap.begin() + range.last + 1, value);
    ShowScreen();
    bMapChanged = true;
}

void frmCVDMXMap::cmdMSSeq_Click()
{
    CVDMX_TRACE("cmdMSSeq_Click");
    const auto [first, last] = MSRange();
    // A first entry outside 0..63 (255 or a value from a foreign file) has no output
    // to count on from.
    if (iDmxMap[first] < 0 || iDmxMap[first] > kLastOutput) {
        toolkit::MsgBox(QStringLiteral("First Value Is NONE\r\nCan Not Copy In Sequence?"), toolkit::vbInformation,
                        QStringLiteral("Copy Error"));
        return;
    }
    int16_t v = iDmxMap[first];
    for (int c = first; c <= last; ++c) {
        iDmxMap[c] = v;
        bMapChanged = true;
        if (v == kLastOutput && c != last) {
            toolkit::MsgBox(QStringLiteral("Sequence Past End Of Outputs\r\nCopy Terminated"), toolkit::vbInformation,
                            QStringLiteral("Copy Error"));
            ShowScreen();
            return;
        }
        ++v;
    }
    ShowScreen();
    bMapChanged = true;
}
