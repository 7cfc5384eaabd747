#pragma once
#include <QByteArray>
#include <QChar>

// How a spreadsheet wrote its rows. Comma-separated text is what locales with a decimal
// point save; those with a decimal comma (most of Europe) save semicolons; tab-separated
// text is common too.
namespace csv {

// The separator of the header row: whichever of comma, semicolon and tab it holds most
// often outside quotes (on a tie the first of them in that order), comma when none.
QChar SeparatorOf(const QByteArray &bytes);

} // namespace csv
