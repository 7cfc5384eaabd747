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

// Up to maxBytes bytes of standard input, or nothing with the reason.
std::optional<QByteArray> ReadStandardInput(qint64 maxBytes, QString *reason)
{
    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() < maxBytes) {
        const ssize_t n
            = ::read(STDIN_FILENO, buffer, size_t(std::min<qint64>(sizeof buffer, maxBytes - bytes.size())));
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
    // One byte more than allowed tells a longer input from one of the largest size.
    const std::optional<QByteArray> bytes = name == kStandardInput
        ? ReadStandardInput(kMaxCsvSize + 1, &reason)
        : platform::ReadRegularFile(name, kMaxCsvSize + 1, &reason);
    if (!bytes) {
        Error(CsvInputName(name) + QStringLiteral(": cannot read it (") + reason + QLatin1Char(')'));
        return std::nullopt;
    }
    if (bytes->size() > kMaxCsvSize) {
        Error(CsvInputName(name)
              + QStringLiteral(": longer than %1 bytes (1 MiB), more than any map's rows take; nothing written")
                    .arg(kMaxCsvSize));
        return std::nullopt;
    }
    return bytes;
}

} // namespace cli
