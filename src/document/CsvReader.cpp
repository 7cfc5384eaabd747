#include "document/CsvReader.h"

namespace csv {

Parsed Parse(const QByteArray &bytes, QChar separator)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    Parsed parsed;
    Record record{1, {}};
    QString field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the field began with a quote
    int line = 1;
    const auto endField = [&] {
        record.fields << (wasQuoted ? field : field.trimmed());
        field.clear();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        if (!(record.fields.size() == 1 && record.fields[0].isEmpty()))
            parsed.records.push_back(record);
        record = Record{line, {}};
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty() && !wasQuoted) {
            field.clear();
            quoted = wasQuoted = true;
        } else if (c == separator) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRecord();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
            continue;
        } else if (wasQuoted) {
            if (c.isSpace())
                continue;
            parsed.error = ParseError{line, int(record.fields.size()) + 1,
                                      QStringLiteral("text after the closing quote of a field")};
            return parsed;
        } else {
            field += c;
        }
    }
    if (quoted) {
        parsed.error
            = ParseError{record.line, int(record.fields.size()) + 1, QStringLiteral("a quoted field that never ends")};
        return parsed;
    }
    endRecord();
    return parsed;
}

} // namespace csv
