#include "document/MapCsv.h"

#include "document/CsvReader.h"
#include "document/DeviceLists.h"
#include "document/OutputLabel.h"

#include <QHash>
#include <functional>

namespace modCVDMXMap {

namespace {

const QString kNone = QStringLiteral("- - -");
const QString kAddress = QStringLiteral("address");
const QString kRange = QStringLiteral("range");

// Where each named column stands, from 0; -1 when the header lacks it.
struct Columns {
    int channel = -1;
    int entry = -1;
    int output = -1;
};

// One data row, read but not yet judged: the output text of a channel needs the address.
struct Row {
    int line = 0;
    int index = 0; // table index: channel - 1, or kDevAddEntry, kDevRangeEntry
    QString entry;
    QString output;
};

QString Field(const csv::Record &record, int column)
{
    return column >= 0 && column < record.fields.size() ? record.fields[column] : QString();
}

std::optional<int16_t> Number(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < -32768 || value > 32767)
        return std::nullopt;
    return int16_t(value);
}

// The table index a row's first field names, or nothing.
std::optional<int> IndexOf(const QString &key)
{
    if (key.compare(kAddress, Qt::CaseInsensitive) == 0)
        return kDevAddEntry;
    if (key.compare(kRange, Qt::CaseInsensitive) == 0)
        return kDevRangeEntry;
    bool ok = false;
    const int channel = key.toInt(&ok);
    if (!ok || channel < 1 || channel > kChannels)
        return std::nullopt;
    return channel - 1;
}

class Reader {
public:
    explicit Reader(const Columns &columns) : columns_(columns) {}

    // The entry a row stands for, given what its text means: textEntry finds the entry
    // whose text it is, or nothing.
    std::optional<int16_t> Judge(const Row &row, const std::function<QString(int16_t)> &textOf,
                                 const std::function<std::optional<int16_t>(const QString &)> &textEntry,
                                 const QString &what)
    {
        const std::optional<int16_t> entry = Number(row.entry);
        if (!row.entry.isEmpty() && !entry)
            return Fail(row.line, columns_.entry, QStringLiteral("entry \"%1\" is not a number").arg(row.entry));
        if (row.output.isEmpty()) {
            if (!entry)
                return Fail(row.line, columns_.channel, QStringLiteral("the row gives neither an entry nor an output"));
            return entry;
        }
        if (entry) {
            if (textOf(*entry) != row.output)
                return Fail(row.line, columns_.output,
                            QStringLiteral("entry %1 shows as \"%2\" %3, not \"%4\"")
                                .arg(*entry)
                                .arg(textOf(*entry), what, row.output));
            return entry;
        }
        const std::optional<int16_t> fromText = textEntry(row.output);
        if (!fromText)
            return Fail(row.line, columns_.output, QStringLiteral("\"%1\" is not an output %2").arg(row.output, what));
        return fromText;
    }

    // Keeps the error of the earliest row.
    std::optional<int16_t> Fail(int line, int column, const QString &message)
    {
        if (!error_ || line < error_->line)
            error_ = CsvMapError{line, column + 1, message};
        return std::nullopt;
    }

    std::optional<CsvMapError> Error() const { return error_; }

private:
    Columns columns_;
    std::optional<CsvMapError> error_;
};

std::optional<int16_t> ListIndex(const QString &text, QString (*entryText)(int))
{
    for (int i = 0; i < kDeviceListEntries; ++i) {
        if (entryText(i) == text)
            return int16_t(i);
    }
    return std::nullopt;
}

} // namespace

QString CsvMapError::Text() const
{
    return QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(message);
}

QString MapToCsv(const MapTable &map)
{
    const int16_t address = map[kDevAddEntry];
    const int16_t range = map[kDevRangeEntry];
    QString csv = QStringLiteral("channel,entry,output\n");
    csv += kAddress + QStringLiteral(",%1,").arg(address) + DeviceAddressText(address) + QLatin1Char('\n');
    csv += kRange + QStringLiteral(",%1,").arg(range) + DeviceRangeText(range) + QLatin1Char('\n');
    for (int c = 0; c < kChannels; ++c)
        csv += QStringLiteral("%1,%2,").arg(c + 1).arg(map[c]) + OutputLabel(map[c], address) + QLatin1Char('\n');
    return csv;
}

CsvMap MapFromCsv(const QByteArray &bytes)
{
    CsvMap result;
    const csv::Parsed parsed = csv::Parse(bytes);
    if (parsed.error) {
        result.error = CsvMapError{parsed.error->line, parsed.error->column, parsed.error->message};
        return result;
    }
    if (parsed.records.empty()) {
        result.error = CsvMapError{1, 1, QStringLiteral("no header row (channel,entry,output)")};
        return result;
    }

    const csv::Record &header = parsed.records.front();
    Columns columns;
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields[i].toLower();
        int *column = name == QLatin1String("channel") ? &columns.channel
            : name == QLatin1String("entry")           ? &columns.entry
            : name == QLatin1String("output")          ? &columns.output
                                                       : nullptr;
        if (column && *column < 0)
            *column = i;
    }
    if (columns.channel < 0 || (columns.entry < 0 && columns.output < 0)) {
        result.error = CsvMapError{header.line, 1,
                                   QStringLiteral("the header row must name a channel column and an entry or output "
                                                  "column (channel,entry,output)")};
        return result;
    }

    Reader reader(columns);
    QHash<int, int> firstLine; // table index -> line of its row
    std::vector<Row> rows;
    for (size_t r = 1; r < parsed.records.size(); ++r) {
        const csv::Record &record = parsed.records[r];
        const QString key = Field(record, columns.channel);
        const std::optional<int> index = IndexOf(key);
        if (!index) {
            reader.Fail(record.line, columns.channel,
                        QStringLiteral("no channel \"%1\" (1..512, address or range)").arg(key));
            continue;
        }
        if (firstLine.contains(*index)) {
            reader.Fail(record.line, columns.channel,
                        QStringLiteral("\"%1\" is given twice (first on line %2)").arg(key).arg(firstLine[*index]));
            continue;
        }
        firstLine.insert(*index, record.line);
        rows.push_back({record.line, *index, Field(record, columns.entry), Field(record, columns.output)});
    }

    MapTable &map = result.map;
    map.fill(kNoOutput);
    map[kDevAddEntry] = 0;
    map[kDevRangeEntry] = 0;
    // The device rows first: the address decides what each channel's output text means.
    bool addressKnown = true;
    for (const Row &row : rows) {
        if (row.index < kChannels)
            continue;
        const bool isAddress = row.index == kDevAddEntry;
        QString (*entryText)(int) = isAddress ? DeviceAddressText : DeviceRangeText;
        const std::optional<int16_t> entry = reader.Judge(
            row, [&](int16_t e) { return e >= 0 && e < kDeviceListEntries ? entryText(e) : QString(); },
            [&](const QString &text) { return ListIndex(text, entryText); },
            isAddress ? QStringLiteral("in the device address list") : QStringLiteral("in the device range list"));
        if (entry && (*entry < 0 || *entry >= kDeviceListEntries))
            reader.Fail(row.line, columns.entry, QStringLiteral("entry %1 is outside the list (0..15)").arg(*entry));
        if (entry && *entry >= 0 && *entry < kDeviceListEntries)
            map[size_t(row.index)] = *entry;
        else if (isAddress)
            addressKnown = false;
    }
    // Without a sound address row no output text can be judged.
    const int16_t address = map[kDevAddEntry];
    const QString at = QStringLiteral("at ") + DeviceAddressText(address);
    for (const Row &row : rows) {
        if (!addressKnown || row.index >= kChannels)
            continue;
        const std::optional<int16_t> entry = reader.Judge(
            row, [&](int16_t e) { return OutputLabel(e, address); },
            [&](const QString &text) -> std::optional<int16_t> {
                if (text == kNone)
                    return kNoOutput;
                for (int16_t e = 0; e <= 63; ++e) {
                    if (OutputLabel(e, address) == text)
                        return e;
                }
                return std::nullopt;
            },
            at);
        if (entry)
            map[size_t(row.index)] = *entry;
    }
    result.error = reader.Error();
    return result;
}

} // namespace modCVDMXMap
