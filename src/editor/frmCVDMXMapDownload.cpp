// The Download menu command and the communications window's place in the main window.
#include "editor/frmCVDMXMap.h"

#include "comm/frmCVDMXMapComm.h"
#include "editor/DocumentGlobals.h"
#include "toolkit/CallTrace.h"

void frmCVDMXMap::mnuDownload_Click()
{
    CVDMX_TRACE("mnuDownload_Click");
    cboDimChan->hide();
    if (!commWindow)
        commWindow = std::make_unique<frmCVDMXMapComm>(modCVDMXMap::CommWindowDocument(), this);
    commWindow->Show();
    // The main window is active again once the modal window has closed.
    Form_Activate();
}

void frmCVDMXMap::UnloadCommWindow()
{
    if (commWindow)
        commWindow->Unload();
}
