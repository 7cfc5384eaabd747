#include "Output.h"

#include "Status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

// The first failure of each stream, as errno gave it.
int gOutError = 0;
int gErrError = 0;

// Every byte, a NUL a controller sent included.
void Put(const QByteArray &text, FILE *stream, int &failure)
{
    if (std::fwrite(text.constData(), 1, size_t(text.size()), stream) != size_t(text.size()) && failure == 0)
        failure = errno;
}

} // namespace

void Print(const QByteArray &text)
{
    Put(text, stdout, gOutError);
}

void PrintError(const QByteArray &text)
{
    if (std::fflush(stdout) != 0 && gOutError == 0)
        gOutError = errno;
    Put(text, stderr, gErrError);
}

void Out(const QString &line)
{
    Print((line + QLatin1Char('\n')).toLocal8Bit());
}

void Error(const QString &message)
{
    PrintError((QStringLiteral("cvdmxmap-cli: ") + message + QLatin1Char('\n')).toLocal8Bit());
}

int Finish(int status)
{
    if (std::fflush(stdout) != 0 && gOutError == 0)
        gOutError = errno;
    if (gOutError != 0)
        Error(QStringLiteral("cannot write to standard output: ") + QString::fromLocal8Bit(std::strerror(gOutError)));
    if (std::fflush(stderr) != 0 && gErrError == 0)
        gErrError = errno;
    if ((gOutError != 0 || gErrError != 0) && status == kOk)
        return kFileError;
    return status;
}

} // namespace cli
