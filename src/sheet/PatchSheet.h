#pragma once
#include "document/modCVDMXMap.h"
#include "sheet/Paper.h"

#include <QByteArray>
#include <QDate>
#include <QString>

// The printable patch sheet of a map: one landscape page (two when the reverse patch runs
// long), no text under 6 pt. A header with the file's name, the device address and range
// as the editor's lists word them, the checksum a controller reports after a download of
// the map and the date; the 512 channels laid out as the window lays them out; and the
// reverse patch, each output with the channels that drive it. Needs a QGuiApplication (the
// offscreen platform will do), no display.
namespace sheet {

struct Sheet {
    QString fileName; // as printed in the header
    modCVDMXMap::MapTable map{};
    QDate date;
    Paper paper = Paper::A4;
};

// The sheet as PDF bytes.
QByteArray RenderPdf(const Sheet &sheet);

} // namespace sheet
