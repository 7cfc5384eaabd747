#include "CsvInput.h"

#include "Output.h"
#include "document/MapCsv.h"
#include "platform/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace cli {

namespace {

const QString kStandardInput = QStringLiteral("-");

// Standard input, or nothing with the reason: it cannot be read, or holds more than
// maxBytes (one byte more is read to tell).
std::optional<QByteArray> ReadStandardInput(qint64 maxBytes, QString *reason)
{
    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() <= maxBytes) {
        const ssize_t n
            = ::read(STDIN_FILENO, buffer, size_t(std::min<qint64>(sizeof buffer, maxBytes + 1 - bytes.size())));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *reason = QString::fromLocal8Bit(std::strerror(errno));
            return std::nullopt;
        }
        bytes.append(buffer, n);
    }
    if (bytes.size() > maxBytes) {
        *reason = platform::LargerThan(maxBytes);
        return std::nullopt;
    }
    return bytes;
}

} // namespace

QString CsvInputName(const QString &name)
{
    return name == kStandardInput ? QStringLiteral("standard input") : name;
}

std::optional<QByteArray> ReadCsvInput(const QString &name)
{
    using modCVDMXMap::kMaxCsvSize;
    QString reason;
    std::optional<QByteArray> bytes = name == kStandardInput
        ? ReadStandardInput(kMaxCsvSize, &reason)
        : platform::ReadRegularFile(name, kMaxCsvSize, &reason, platform::Longer::Refused);
    if (!bytes)
        Error(CsvInputName(name) + QStringLiteral(": cannot read it (") + reason + QLatin1Char(')'));
    return bytes;
}

} // namespace cli
