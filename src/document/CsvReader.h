#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Separated text as spreadsheets save it: an optional UTF-8 byte order mark, CR LF or LF
// line ends, fields in double quotes (with "" for a quote), split at the separator given.
// A field of ours never holds more than one line: a quoted field ends on its line, and a
// control character inside a field (a NUL, a lone CR) is an error; a tab stands only as the
// separator or in the blanks around a field.
namespace csv {

struct Record {
    int line = 0; // where the record starts, from 1
    QStringList fields;
};

struct ParseError {
    int line = 0;
    int column = 0; // the field, from 1
    QString message;
};

struct Parsed {
    std::vector<Record> records; // blank lines left out
    std::optional<ParseError> error;
};

Parsed Parse(const QByteArray &bytes, QChar separator = QLatin1Char(','));

} // namespace csv
