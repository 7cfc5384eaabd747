// The Download menu command.
#include "editor/frmCVDMXMap.h"

#include "platform/CallTrace.h"

void frmCVDMXMap::mnuDownload_Click()
{
    CVDMX_TRACE("mnuDownload_Click");
    cboDimChan->hide();
}

void frmCVDMXMap::UnloadCommWindow() {}
