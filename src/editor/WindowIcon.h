#pragma once
#include <QIcon>

// The program's icon: a small grid of channel and output cells.
QIcon WindowIcon();
