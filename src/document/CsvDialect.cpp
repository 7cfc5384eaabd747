#include "document/CsvDialect.h"

#include <array>

namespace csv {

QChar SeparatorOf(const QByteArray &bytes)
{
    static constexpr std::array<char, 3> kSeparators{',', ';', '\t'};
    std::array<int, 3> counts{};
    bool quoted = false;
    bool begun = false; // past the blank lines before the header
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r') && begun)
            break;
        for (size_t i = 0; i < kSeparators.size(); ++i) {
            if (!quoted && c == kSeparators[i])
                ++counts[i];
        }
        begun = begun || (c != '\n' && c != '\r');
    }
    size_t best = 0;
    for (size_t i = 1; i < counts.size(); ++i) {
        if (counts[i] > counts[best])
            best = i;
    }
    return QLatin1Char(kSeparators[best]);
}

} // namespace csv
