#include "Table.h"

#include "Output.h"

#include <algorithm>

namespace cli {

namespace {

const QString kGap = QStringLiteral("  ");

QString CsvField(const QString &field)
{
    static const QString kSpecial = QStringLiteral(",\"\r\n");
    const bool quoted = std::any_of(field.begin(), field.end(), [](QChar c) { return kSpecial.contains(c); })
        || field.startsWith(QLatin1Char(' ')) || field.endsWith(QLatin1Char(' '));
    if (!quoted)
        return field;
    QString text = field;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

void PrintColumns(const std::vector<QStringList> &rows)
{
    std::vector<qsizetype> widths;
    for (const QStringList &row : rows) {
        widths.resize(std::max(widths.size(), size_t(row.size())));
        for (int c = 0; c < row.size(); ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], row[c].size());
    }
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c].leftJustified(widths[size_t(c)]) + kGap : row[c];
        Out(line);
    }
}

void PrintCsv(const std::vector<QStringList> &rows)
{
    for (const QStringList &row : rows) {
        QStringList fields;
        for (const QString &field : row)
            fields.append(CsvField(field));
        Out(fields.join(QLatin1Char(',')));
    }
}

QString Printable(const QString &text)
{
    QString shown;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            shown += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

} // namespace cli
