#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace cli {

// The rows import reads: the regular file name, or standard input for "-", up to the
// most a reader takes (kMaxCsvSize). A failure or a longer input is reported.
std::optional<QByteArray> ReadCsvInput(const QString &name);

// How a message names the input: "standard input" for "-", else the name.
QString CsvInputName(const QString &name);

} // namespace cli
