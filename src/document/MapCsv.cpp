#include "document/MapCsv.h"

#include "document/CsvDialect.h"
#include "document/CsvReader.h"
#include "document/DeviceLists.h"
#include "document/OutputLabel.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <functional>
#include <map>

namespace modCVDMXMap {

namespace {

const QString kNone = QStringLiteral("- - -");
const QString kTitle = QStringLiteral("title");
const QString kAddress = QStringLiteral("address");
const QString kRange = QStringLiteral("range");
const QString kHeader = QStringLiteral("channel,entry,output,label");

// Where each named column stands, from 0; -1 when the header lacks it.
struct Columns {
    int channel = -1;
    int entry = -1;
    int output = -1;
    int label = -1;
};

// One data row, read but not yet judged: the output text of a channel needs the address.
struct Row {
    int line = 0;
    int index = 0; // table index: channel - 1, or kDevAddEntry, kDevRangeEntry; -1 for a spare
    QString entry;
    QString output;
    QString label;
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

// What an output text means under device address a: the entry of the output it names,
// kNoOutput for the words people write for none, nothing for anything else. An output is
// "D:" with the device number in one or two hexadecimal digits, "." and 1..4, in either
// case; it must lie at or after the address's device.
std::optional<int16_t> OutputMeaning(const QString &text, int a)
{
    if (text.isEmpty() || text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0 || text == QLatin1String("-")
        || text == kNone)
        return kNoOutput;
    static const QRegularExpression output(QStringLiteral("^[Dd]\\s*:\\s*([0-9A-Fa-f]{1,2})\\s*\\.\\s*([1-4])$"));
    const QRegularExpressionMatch match = output.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int device = match.captured(1).toInt(nullptr, 16) - 1;
    if (device < a || device >= kDevices)
        return std::nullopt;
    return int16_t(kOutputsPerDevice * (device - a) + match.captured(2).toInt() - 1);
}

// The label column's name for an entry: its output, or the entry where the address hides it.
QString OutputName(int16_t entry, int a)
{
    const QString text = OutputLabel(entry, a);
    return text == kNone ? QStringLiteral("entry %1").arg(entry) : text;
}

class Reader {
public:
    explicit Reader(const Columns &columns) : columns_(columns) {}

    // The entry of a device row: its entry, its list text (textEntry finds the entry whose
    // text it is), or both when textOf(entry) is that text.
    std::optional<int16_t> JudgeDevice(const Row &row, const std::function<QString(int16_t)> &textOf,
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

    // The entry of a channel or spare row under device address a: its entry, its output, or
    // both when the entry shows as that output (or as none, for a word for none).
    std::optional<int16_t> JudgeOutput(const Row &row, int16_t a)
    {
        const std::optional<int16_t> entry = Number(row.entry);
        if (!row.entry.isEmpty() && !entry)
            return Fail(row.line, columns_.entry, QStringLiteral("entry \"%1\" is not a number").arg(row.entry));
        const std::optional<int16_t> meaning = OutputMeaning(row.output, a);
        const QString at = QStringLiteral("at ") + DeviceAddressText(a);
        if (!meaning)
            return Fail(row.line, columns_.output, QStringLiteral("\"%1\" is not an output %2").arg(row.output, at));
        if (!entry || row.output.isEmpty())
            return entry ? entry : meaning;
        const QString shown = OutputLabel(*entry, a);
        if ((shown == kNone ? kNoOutput : *entry) != *meaning)
            return Fail(
                row.line, columns_.output,
                QStringLiteral("entry %1 shows as \"%2\" %3, not \"%4\"").arg(*entry).arg(shown, at, row.output));
        return entry;
    }

    // Takes label as the label of entry, given on line: it must be a label and agree with
    // what other rows give. An empty label says nothing.
    void AddLabel(MapLabels &labels, int16_t entry, int16_t a, const QString &label, int line)
    {
        if (label.isEmpty())
            return;
        const QString problem = LabelTextProblem(label);
        if (!problem.isEmpty()) {
            Fail(line, columns_.label, QStringLiteral("the label ") + problem);
            return;
        }
        QString &held = labels.outputs[size_t(entry)];
        const int heldLine = labelLines_.value(entry);
        if (!held.isEmpty() && held != label) {
            Fail(line, columns_.label,
                 QStringLiteral("the label \"%1\" of %2 differs from \"%3\" on line %4")
                     .arg(label, OutputName(entry, a), held)
                     .arg(heldLine));
            return;
        }
        if (held.isEmpty()) {
            held = label;
            labelLines_.insert(entry, line);
        }
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
    QHash<int, int> labelLines_; // entry -> line of the row that gave its label
};

std::optional<int16_t> ListIndex(const QString &text, QString (*entryText)(int))
{
    for (int i = 0; i < kDeviceListEntries; ++i) {
        if (entryText(i) == text)
            return int16_t(i);
    }
    return std::nullopt;
}

// A header field as a message quotes it: cut short where a file that is no CSV at all
// would fill the screen. The reader has refused control characters already.
QString Quoted(const QString &field)
{
    constexpr int kShown = 40;
    return QLatin1Char('"') + field.left(kShown)
        + (field.size() > kShown ? QStringLiteral("...\"") : QStringLiteral("\""));
}

// The columns of a header row, or why they are not enough.
std::optional<Columns> HeaderColumns(const csv::Record &header, QString *problem)
{
    constexpr int kColumnsShown = 10;
    Columns columns;
    QStringList found;
    for (int i = 0; i < header.fields.size(); ++i) {
        if (i < kColumnsShown)
            found << Quoted(header.fields[i]);
        else if (i == kColumnsShown)
            found << QStringLiteral("... (%1 in all)").arg(header.fields.size());
        const QString name = header.fields[i].toLower();
        int *column = name == QLatin1String("channel") ? &columns.channel
            : name == QLatin1String("entry")           ? &columns.entry
            : name == QLatin1String("output")          ? &columns.output
            : name == QLatin1String("label")           ? &columns.label
                                                       : nullptr;
        if (column && *column < 0)
            *column = i;
    }
    if (columns.channel >= 0 && (columns.entry >= 0 || columns.output >= 0))
        return columns;
    *problem = QStringLiteral(
                   "the header row names the columns %1; expected %2 (a channel column and an entry or "
                   "output column, separated by commas, semicolons or tabs)")
                   .arg(found.join(QStringLiteral(", ")), kHeader);
    return std::nullopt;
}

bool IsBlank(const csv::Record &record)
{
    for (const QString &field : record.fields) {
        if (!field.isEmpty())
            return false;
    }
    return true;
}

} // namespace

QString CsvField(const QString &text)
{
    // Readers trim the blanks around a field that is not quoted (QString::trimmed's).
    const bool plain
        = text.isEmpty()
        || (!text.front().isSpace() && !text.back().isSpace() && std::none_of(text.begin(), text.end(), [](QChar c) {
               return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('\t') || c == QLatin1Char('"');
           }));
    if (plain)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString CsvMapError::Text() const
{
    return QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(message);
}

QString MapToCsv(const MapTable &map, const MapLabels &labels)
{
    const int16_t address = map[kDevAddEntry];
    const int16_t range = map[kDevRangeEntry];
    QString csv = kHeader + QLatin1Char('\n');
    csv += kTitle + QStringLiteral(",,") + CsvField(labels.title) + QStringLiteral(",\n");
    csv += kAddress + QStringLiteral(",%1,").arg(address) + DeviceAddressText(address) + QStringLiteral(",\n");
    csv += kRange + QStringLiteral(",%1,").arg(range) + DeviceRangeText(range) + QStringLiteral(",\n");
    std::array<bool, kOutputs> held{};
    for (int c = 0; c < kChannels; ++c) {
        const int16_t entry = map[c];
        const bool output = entry >= 0 && entry < kOutputs;
        if (output)
            held[size_t(entry)] = true;
        csv += QStringLiteral("%1,%2,").arg(c + 1).arg(entry) + OutputLabel(entry, address) + QLatin1Char(',')
            + (output ? CsvField(labels.outputs[size_t(entry)]) : QString()) + QLatin1Char('\n');
    }
    for (int16_t e = 0; e < kOutputs; ++e) {
        const QString output = OutputLabel(e, address);
        if (!held[size_t(e)] && (output != kNone || !labels.outputs[size_t(e)].isEmpty()))
            csv += QStringLiteral(",%1,").arg(e) + output + QLatin1Char(',') + CsvField(labels.outputs[size_t(e)])
                + QLatin1Char('\n');
    }
    return csv;
}

CsvMap MapFromCsv(const QByteArray &bytes)
{
    CsvMap result;
    const csv::Parsed parsed = csv::Parse(bytes, csv::SeparatorOf(bytes));
    if (parsed.error) {
        result.error = CsvMapError{parsed.error->line, parsed.error->column, parsed.error->message};
        return result;
    }
    if (parsed.records.empty()) {
        result.error = CsvMapError{1, 1, QStringLiteral("no header row (") + kHeader + QLatin1Char(')')};
        return result;
    }

    const csv::Record &header = parsed.records.front();
    QString headerProblem;
    const std::optional<Columns> found = HeaderColumns(header, &headerProblem);
    if (!found) {
        result.error = CsvMapError{header.line, 1, headerProblem};
        return result;
    }
    const Columns columns = *found;

    Reader reader(columns);
    QHash<int, int> firstLine; // table index, or -1 for the title -> line of its row
    std::vector<Row> rows;
    std::vector<Row> spares;
    MapLabels labels;
    bool titled = false;
    for (size_t r = 1; r < parsed.records.size(); ++r) {
        const csv::Record &record = parsed.records[r];
        if (IsBlank(record))
            continue;
        const QString key = Field(record, columns.channel);
        const Row row{record.line, -1, Field(record, columns.entry), Field(record, columns.output),
                      Field(record, columns.label)};
        if (key.isEmpty()) {
            spares.push_back(row);
            continue;
        }
        const bool isTitle = key.compare(kTitle, Qt::CaseInsensitive) == 0;
        const std::optional<int> index = isTitle ? std::optional<int>(-1) : IndexOf(key);
        if (!index) {
            reader.Fail(record.line, columns.channel,
                        QStringLiteral("no channel \"%1\" (1..512, title, address or range)").arg(key));
            continue;
        }
        if (firstLine.contains(*index)) {
            reader.Fail(record.line, columns.channel,
                        QStringLiteral("\"%1\" is given twice (first on line %2)").arg(key).arg(firstLine[*index]));
            continue;
        }
        firstLine.insert(*index, record.line);
        if (*index >= kChannels || isTitle) {
            if (!row.label.isEmpty())
                reader.Fail(row.line, columns.label, QStringLiteral("the %1 row takes no label").arg(key.toLower()));
        }
        if (isTitle) {
            titled = true;
            const QString problem = LabelTextProblem(row.output);
            if (!row.entry.isEmpty())
                reader.Fail(row.line, columns.entry, QStringLiteral("the title row takes no entry"));
            else if (!problem.isEmpty())
                reader.Fail(row.line, columns.output, QStringLiteral("the title ") + problem);
            labels.title = row.output;
            continue;
        }
        rows.push_back(row);
        rows.back().index = *index;
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
        const std::optional<int16_t> entry = reader.JudgeDevice(
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
    std::map<int, std::pair<int16_t, QString>> labelled; // line -> entry and label, taken in file order
    for (const Row &row : rows) {
        if (!addressKnown || row.index >= kChannels)
            continue;
        const std::optional<int16_t> entry = reader.JudgeOutput(row, address);
        if (!entry)
            continue;
        map[size_t(row.index)] = *entry;
        if (*entry >= 0 && *entry < kOutputs)
            labelled[row.line] = {*entry, row.label};
        else if (!row.label.isEmpty())
            reader.Fail(row.line, columns.label,
                        QStringLiteral("channel %1 has no output to label").arg(row.index + 1));
    }
    for (const Row &row : spares) {
        if (!addressKnown)
            continue;
        const std::optional<int16_t> entry = reader.JudgeOutput(row, address);
        if (!entry)
            continue;
        if (*entry < 0 || *entry >= kOutputs)
            reader.Fail(row.line, row.entry.isEmpty() ? columns.output : columns.entry,
                        QStringLiteral("a row without a channel names an output (an entry 0..63 or its output)"));
        else
            labelled[row.line] = {*entry, row.label};
    }
    for (const auto &[line, label] : labelled)
        reader.AddLabel(labels, label.first, address, label.second, line);
    result.error = reader.Error();
    if (columns.label >= 0 || titled)
        result.labels = labels;
    return result;
}

} // namespace modCVDMXMap
