#pragma once
#include <QByteArray>
#include <QString>

// Standard output and standard error of cvdmxmap-cli.
namespace cli {

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

} // namespace cli
