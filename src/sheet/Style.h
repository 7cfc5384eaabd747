#pragma once
#include <QColor>
#include <QFont>

// The sheet's type, colours and spacing. Page units are points (1/72 inch).
namespace sheet {

// Nothing on the sheet is set smaller: legible at arm's length in a rack.
constexpr qreal kSmallestPt = 7;
// The grid and the lists grow up to this size where the page has room.
constexpr qreal kLargestBodyPt = 9;
constexpr qreal kBodyStepPt = 1; // whole points: at 72 units to the inch, Qt sets type in whole sizes
constexpr qreal kFileNamePt = 13;
constexpr qreal kTitlePt = 10;
constexpr qreal kHeaderPt = 9;
constexpr qreal kLegendPt = 8;
static_assert(kFileNamePt >= kSmallestPt && kTitlePt >= kSmallestPt && kHeaderPt >= kSmallestPt
                  && kLegendPt >= kSmallestPt && kLargestBodyPt >= kSmallestPt,
              "no text on the sheet under the smallest size");

constexpr qreal kMargin = 20;      // about 7 mm, inside what printers reach
constexpr qreal kSectionSpace = 8; // between the header, the grid and the lists
constexpr qreal kLineSpace = 2;    // between the lines of the header, under a heading
constexpr qreal kListGap = 12;     // between the columns of the lists
constexpr qreal kEntrySpace = 1.5; // between the entries of a list
constexpr qreal kRuleWidth = 0.5;

const QColor kInk(0x00, 0x00, 0x00);
const QColor kChannelInk(0x60, 0x60, 0x60); // channel numbers in the grid
const QColor kQuiet(0xA0, 0xA0, 0xA0);      // unassigned cells, outputs nobody drives
const QColor kRule(0xC8, 0xC8, 0xC8);
const QColor kFlag(0xB0, 0x00, 0x00); // marked cells and outputs, with their symbol

enum class Face { Text, Bold, Digits };

// The face at the size given, never below kSmallestPt.
QFont SheetFont(Face face, qreal points);

} // namespace sheet
