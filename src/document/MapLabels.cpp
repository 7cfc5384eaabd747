#include "document/MapLabels.h"

#include "document/OutputLabel.h"

#include <QList>
#include <QStringView>

namespace modCVDMXMap {

namespace {

const QByteArray kSignature = QByteArrayLiteral("CVDMXLBL");

void PutLE(QByteArray &bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
}

uint32_t GetLE(const QByteArray &bytes, qsizetype at, int size)
{
    uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return value;
}

// The texts of the payload in their order: the title, then entries 0..63.
const QString &Text(const MapLabels &labels, int i)
{
    return i == 0 ? labels.title : labels.outputs[size_t(i - 1)];
}
QString &Text(MapLabels &labels, int i)
{
    return i == 0 ? labels.title : labels.outputs[size_t(i - 1)];
}
constexpr int kTexts = 1 + kOutputs;

// The texts of a payload, or nothing when it is not exactly 65 counted UTF-8 texts that
// pass as labels.
std::optional<MapLabels> ReadPayload(const QByteArray &payload)
{
    MapLabels labels;
    qsizetype at = 0;
    for (int i = 0; i < kTexts; ++i) {
        if (payload.size() - at < 2)
            return std::nullopt;
        const qsizetype count = GetLE(payload, at, 2);
        at += 2;
        if (payload.size() - at < count)
            return std::nullopt;
        const QByteArray utf8 = payload.mid(at, count);
        at += count;
        const QString text = QString::fromUtf8(utf8);
        // A byte sequence that is not UTF-8 does not come back the same.
        if (text.toUtf8() != utf8 || !LabelTextProblem(text).isEmpty())
            return std::nullopt;
        Text(labels, i) = text;
    }
    if (at != payload.size())
        return std::nullopt;
    return labels;
}

LabelsTail Damaged(qint64 size, const QString &problem)
{
    LabelsTail tail;
    tail.kind = LabelsTail::Damaged;
    tail.size = size;
    tail.problem = QStringLiteral("the labels after the map ") + problem;
    return tail;
}

} // namespace

bool MapLabels::IsEmpty() const
{
    if (!title.isEmpty())
        return false;
    for (const QString &label : outputs) {
        if (!label.isEmpty())
            return false;
    }
    return true;
}

QString LabelTextProblem(const QString &text)
{
    if (!QStringView(text).isValidUtf16())
        return QStringLiteral("is not valid Unicode");
    int characters = 0;
    for (const char32_t c : QStringView(text).toUcs4()) {
        ++characters;
        const QChar::Category category = QChar::category(c);
        const auto code = [c] { return QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')); };
        if (category == QChar::Other_Control)
            return QStringLiteral("holds the control character U+") + code();
        if (category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            return QStringLiteral("holds the line break U+") + code();
    }
    if (characters > kLabelMaxLength)
        return QStringLiteral("is longer than %1 characters (%2)").arg(kLabelMaxLength).arg(characters);
    return QString();
}

QString LabelsProblem(const MapLabels &labels)
{
    for (int i = 0; i < kTexts; ++i) {
        const QString problem = LabelTextProblem(Text(labels, i));
        if (!problem.isEmpty())
            return (i == 0 ? QStringLiteral("the title ") : QStringLiteral("the label of entry %1 ").arg(i - 1))
                + problem;
    }
    return QString();
}

QByteArray LabelsBlock(const MapLabels &labels)
{
    if (labels.IsEmpty())
        return QByteArray();
    QByteArray payload;
    for (int i = 0; i < kTexts; ++i) {
        const QByteArray utf8 = Text(labels, i).toUtf8();
        PutLE(payload, uint32_t(utf8.size()), 2);
        payload += utf8;
    }
    QByteArray block = kSignature;
    PutLE(block, kLabelsVersion, 2);
    PutLE(block, uint32_t(payload.size()), 4);
    block += payload;
    PutLE(block, Crc32(block), kLabelsChecksumSize);
    return block;
}

LabelsTail ReadLabelsTail(const QByteArray &tail, qint64 tailSize)
{
    const qint64 size = tailSize < 0 ? tail.size() : tailSize;
    LabelsTail result;
    result.size = size;
    if (size == 0)
        return result;
    if (!tail.startsWith(kSignature)) {
        result.kind = LabelsTail::Foreign;
        result.problem = QStringLiteral("the file ends in %1 bytes that are not labels").arg(size);
        return result;
    }
    if (size > kMaxLabelsBlock)
        return Damaged(size, QStringLiteral("are longer than any labels (%1 bytes)").arg(kMaxLabelsBlock));
    if (size < kLabelsHeaderSize + kLabelsChecksumSize)
        return Damaged(size, QStringLiteral("are cut short"));
    const uint32_t version = GetLE(tail, 8, 2);
    if (version != kLabelsVersion)
        return Damaged(size, QStringLiteral("are of version %1, which this program does not read").arg(version));
    const qint64 length = GetLE(tail, 10, 4);
    if (length != size - kLabelsHeaderSize - kLabelsChecksumSize)
        return Damaged(size,
                       QStringLiteral("give a length of %1 bytes where %2 follow")
                           .arg(length)
                           .arg(size - kLabelsHeaderSize - kLabelsChecksumSize));
    const qsizetype checked = kLabelsHeaderSize + length;
    if (GetLE(tail, checked, kLabelsChecksumSize) != Crc32(tail.left(checked)))
        return Damaged(size, QStringLiteral("fail their checksum"));
    const std::optional<MapLabels> labels = ReadPayload(tail.mid(kLabelsHeaderSize, length));
    if (!labels)
        return Damaged(size, QStringLiteral("hold something other than 65 lines of text"));
    result.kind = LabelsTail::Labels;
    result.labels = *labels;
    return result;
}

QString LabelsRefusal(const LabelsTail &old, const MapLabels &labels)
{
    const bool kept = old.kind == LabelsTail::Damaged || old.kind == LabelsTail::Foreign;
    return kept && !labels.IsEmpty() ? old.problem + QStringLiteral("; labels would overwrite them") : QString();
}

QString CellLabelOf(int16_t entry, int a, const MapLabels &labels)
{
    // Most entries have no label: the output's text is made only for those that have one.
    if (entry < 0 || entry >= kOutputs || labels.outputs[size_t(entry)].isEmpty()
        || OutputLabel(entry, a) == QLatin1String("- - -"))
        return QString();
    return labels.outputs[size_t(entry)];
}

uint32_t Crc32(const QByteArray &bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace modCVDMXMap
