#pragma once
#include "Controller.h"
#include "MapInput.h"
#include "Output.h"
#include "PortDevice.h"
#include "Status.h"

#include <QString>
#include <QStringList>
#include <optional>

// Shared pieces of cvdmxmap-cli: help texts and arguments.
namespace cli {

extern const char kStatusHelp[];
extern const char kPortHelp[];

// What follows the command name.
struct Arguments {
    QStringList operands;
    QString port; // empty: no --port
    bool csv = false;
    bool help = false;
};

// Which options a command takes.
enum Option { kNoOptions = 0, kCsvOption = 1, kPortOption = 2 };

// Parses args for command. A mistake is reported (usage class) and gives nothing;
// --help anywhere wins over every other word.
std::optional<Arguments> ParseArguments(const QString &command, const QStringList &args, int options);
// Reports a usage error of command and returns kUsage.
int UsageError(const QString &command, const QString &message);
// Checks the operand count and, when required, the port; reports a mistake.
bool CheckArguments(const QString &command, const Arguments &a, const QStringList &operandNames,
                    bool needsPort);

int RunShow(const QStringList &args);
int RunChecksum(const QStringList &args);
int RunDownload(const QStringList &args);
int RunVerify(const QStringList &args);
int RunRevision(const QStringList &args);
int RunDiff(const QStringList &args);

} // namespace cli
