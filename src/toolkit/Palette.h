#pragma once
#include <QColor>

// The colours of the windows and their cells.
namespace toolkit {

inline const QColor kWindowGrey(0xE0, 0xE0, 0xE0); // both windows' back colour
inline const QColor kLightCyan(0x80, 0xFF, 0xFF);  // channel number cells and their legend
inline const QColor kPaleYellow(0xFF, 0xFF, 0xC0); // output cells and their legend; a range's inner cells
inline const QColor kSilverGrey(0xC0, 0xC0, 0xC0); // output cells outside a range
inline const QColor kWhite(0xFF, 0xFF, 0xFF);      // a range's first channel
inline const QColor kNavy(0x00, 0x00, 0x80);       // the icon's frame
inline const QColor kOrange(0xFF, 0x80, 0x00);     // the icon's lit output

} // namespace toolkit
