#include "link/Protocol.h"

namespace dmxlink {

const QString kChecksumCommand = QStringLiteral("[03]");
const QString kFirmRevCommand = QStringLiteral("[04]");

namespace {

QString Hex4(int value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper().right(4);
}

// Division by two rounded down, also for negative cells.
int16_t HalfDown(int16_t v)
{
    return int16_t(v >= 0 ? v / 2 : -((-int(v) + 1) / 2));
}

} // namespace

QString BlockFrame(const MapTable &map, int block)
{
    const int start = block * kBlockEntries;
    QString frame = QStringLiteral("[01") + Hex4(start);
    frame.reserve(kBlockFrameLength);
    for (int i = 0; i < kBlockEntries; ++i)
        frame += modCVDMXMap::Hex2(map[size_t(start + i)]);
    frame += QLatin1Char(']');
    return frame;
}

QString MapChecksumText(const MapTable &map)
{
    static constexpr int16_t kFeedback[8] = {0xA1, 0xA0, 0xF5, 0xEF, 0xA1, 0xA0, 0xF5, 0xEF};
    std::array<int16_t, 8> cell;
    cell.fill(255);
    std::array<bool, 8> odd{};
    for (int e = 0; e < modCVDMXMap::kChannels; ++e) {
        cell[0] = int16_t(cell[0] ^ map[size_t(e)]);
        for (int k = 0; k < 8; ++k)
            odd[k] = (cell[k] & 1) != 0;
        for (int k = 0; k < 8; ++k) {
            cell[k] = HalfDown(cell[k]);
            if (k < 7 && odd[k + 1])
                cell[k] = int16_t(cell[k] + 128);
        }
        if (odd[0]) {
            for (int k = 0; k < 8; ++k)
                cell[k] = int16_t(cell[k] ^ kFeedback[k]);
        }
    }
    QString text;
    for (int k = 7; k >= 0; --k)
        text += modCVDMXMap::Hex2(cell[k]);
    return text;
}

} // namespace dmxlink
