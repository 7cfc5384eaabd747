#pragma once
#include "link/Exchange.h"
#include "link/Protocol.h"
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"

#include <QString>
#include <QStringList>
#include <optional>

// Shared pieces of cvdmxmap-cli: exit statuses, messages, arguments, map files and ports.
namespace cli {

// One exit status per class of outcome.
enum Status : int {
    kOk = 0,
    kDiffers = 1, // checksum mismatch, another map on the controller, files that differ
    kUsage = 2,
    kFileError = 3,
    kPortError = 4,
    kTimeout = 5,
};

extern const char kStatusHelp[];
extern const char kPortHelp[];

// Text on standard output and on standard error (which is unbuffered). A failed write
// is remembered for Finish.
void Print(const QByteArray &text);
void PrintError(const QByteArray &text);
// A line on standard output, and "cvdmxmap-cli: message" on standard error.
void Out(const QString &line);
void Error(const QString &message);
// The exit status once all output is written: a failed write to standard output is
// reported on standard error, and a run that would have succeeded then ends with
// kFileError, as one whose standard error could not be written.
int Finish(int status);

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

// The table in a map file, read and validated as the editor reads it; the reason is
// reported when it cannot be had.
std::optional<dmxlink::MapTable> ReadMap(const QString &path);

// The device behind PORT: COM1..COM8 through the editor's settings file, or a path.
// Nothing for any other word.
std::optional<QString> PortDevice(const QString &port);

// A controller on an open port, with DTR raised as the editor raises it.
class Controller {
public:
    // Opens the port; reports why when it cannot.
    bool Open(const QString &port);
    // "COM1 (/dev/ttyS0)" or the device path, for messages.
    const QString &Where() const { return where_; }
    // Sends command and waits for replyLength characters; reports a time-out or a lost line.
    bool Ask(const QString &command, int16_t replyLength, const QString &what);
    void ReportFault(const QString &what) const;

    platform::SerialPort port;
    platform::Stopwatch stopwatch;
    dmxlink::Exchange exchange{port, stopwatch};

private:
    QString where_;
};

int RunShow(const QStringList &args);
int RunChecksum(const QStringList &args);
int RunDownload(const QStringList &args);
int RunVerify(const QStringList &args);
int RunRevision(const QStringList &args);
int RunDiff(const QStringList &args);

} // namespace cli
