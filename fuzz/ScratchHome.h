#pragma once
#include <QString>

// Points HOME at a fresh temporary folder for the rest of the process, with the
// editor's working folder in it, and returns the folder's path. The folder is removed
// when the process exits normally.
QString UseScratchHome();
