#pragma once
#include "document/modCVDMXMap.h"
#include "sheet/Paper.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <array>

// The printable patch sheet of a map, on landscape pages, no text under 7 pt. Every page
// is headed with the file's name, the map's title, the device address and range as the
// editor's lists word them, the checksum a controller reports after a download of the
// map, the date and the page number. Then the 512 channels laid out as the window lays
// them out, each output with its label where the column has room; and the reverse patch,
// each output with its label in full and the channels that drive it, followed by the
// channels patched where the grid cannot show it. Marks flag what needs a second look,
// each with a symbol and a legend. Needs a QGuiApplication (the offscreen platform will
// do), no display.
namespace sheet {

struct Sheet {
    QString fileName; // as printed in the header
    modCVDMXMap::MapTable map{};
    QDate date;
    Paper paper = Paper::A4;
    QString title;                                     // one line, under the file name
    std::array<QString, modCVDMXMap::kOutputs> labels; // what each output feeds, by entry 0..63
};

// The sheet as PDF bytes.
QByteArray RenderPdf(const Sheet &sheet);

} // namespace sheet
