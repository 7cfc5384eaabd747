#pragma once
#include <QIcon>
#include <QPixmap>

// The program's icon: a small grid of channel and output cells.
QIcon WindowIcon();
// The same design drawn at size x size pixels, for the installed icons.
QPixmap WindowIconPixmap(int size);
