#include "document/CsvReader.h"

namespace csv {

namespace {

const QString kNeverEnds = QStringLiteral("a quoted field that never ends");

QString ControlCharacter(QChar c)
{
    return QStringLiteral("control character 0x%1 inside a field")
        .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0')));
}

} // namespace

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
    const auto fail = [&](const QString &message) {
        parsed.error = ParseError{line, int(record.fields.size()) + 1, message};
    };
    // A tab may stand in the blanks around an unquoted field, not inside it.
    const auto endField = [&] {
        const QString value = wasQuoted ? field : field.trimmed();
        if (value.contains(QLatin1Char('\t'))) {
            fail(ControlCharacter(QLatin1Char('\t')));
            return false;
        }
        record.fields << value;
        field.clear();
        wasQuoted = false;
        return true;
    };
    const auto endRecord = [&] {
        if (!endField())
            return false;
        if (!(record.fields.size() == 1 && record.fields[0].isEmpty()))
            parsed.records.push_back(record);
        record = Record{line, {}};
        return true;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool crlf = c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
        const bool separates = !quoted && (c == QLatin1Char('\n') || crlf || c == QLatin1Char('\t'));
        // Nothing of ours holds a control character, nor more than one line: a quoted
        // field ends on the line it starts on.
        if (quoted && (c == QLatin1Char('\n') || crlf)) {
            fail(kNeverEnds);
            return parsed;
        }
        if (c.category() == QChar::Other_Control && !separates) {
            fail(ControlCharacter(c));
            return parsed;
        }
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty() && !wasQuoted) {
            field.clear();
            quoted = wasQuoted = true;
        } else if (c == separator) {
            if (!endField())
                return parsed;
        } else if (c == QLatin1Char('\n')) {
            if (!endRecord())
                return parsed;
            ++line;
            record.line = line;
        } else if (crlf) {
            continue;
        } else if (wasQuoted) {
            if (c.isSpace())
                continue;
            fail(QStringLiteral("text after the closing quote of a field"));
            return parsed;
        } else {
            field += c;
        }
    }
    if (quoted) {
        fail(kNeverEnds);
        return parsed;
    }
    endRecord();
    return parsed;
}

} // namespace csv
