#pragma once
#include <QString>
#include <QStringList>
#include <vector>

namespace cli {

// Rows as aligned columns, two blanks apart, the last column not padded.
void PrintColumns(const std::vector<QStringList> &rows);
// Rows as comma-separated lines; a field is quoted where a spreadsheet needs it (a comma,
// a quote, a line break, a blank at either end).
void PrintCsv(const std::vector<QStringList> &rows);
// text with every control character as \xNN, for a line of its own on a terminal.
QString Printable(const QString &text);

} // namespace cli
