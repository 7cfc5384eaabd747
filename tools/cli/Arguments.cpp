#include "Cli.h"

namespace cli {

const char kStatusHelp[] =
    "Exit status:\n"
    "  0  success; verify: the controller holds the map; diff: the maps are the same\n"
    "  1  checksum mismatch after a download; verify: the controller holds\n"
    "     another map; diff: the maps differ\n"
    "  2  usage error: unknown command or option, missing or extra argument,\n"
    "     bad PORT\n"
    "  3  a map file cannot be read, or is not a valid map file; or standard\n"
    "     output or standard error cannot be written\n"
    "  4  the port cannot be opened\n"
    "  5  time-out: no complete reply from the controller within 2000 ms, or\n"
    "     the line was lost\n";

const char kPortHelp[] =
    "PORT is COM1 .. COM8 or a device path such as /dev/ttyUSB0. COMn is found\n"
    "as the editor finds it: key COMn of section [Ports] in\n"
    "~/QRT Corvanta DMX Map/QRT Corvanta DMX Map.ini, else /dev/ttyS(n-1).\n";

int UsageError(const QString &command, const QString &message)
{
    Error(command + QStringLiteral(": ") + message + QStringLiteral(" (see cvdmxmap-cli ") + command
          + QStringLiteral(" --help)"));
    return kUsage;
}

std::optional<Arguments> ParseArguments(const QString &command, const QStringList &args, int options)
{
    Arguments a;
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        a.help = true;
        return a;
    }
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &word = args[i];
        if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            a.operands.append(word);
        } else if (word == QLatin1String("--")) {
            optionsEnded = true;
        } else if ((options & kCsvOption) && word == QLatin1String("--csv")) {
            a.csv = true;
        } else if ((options & kPortOption) && word == QLatin1String("--port")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                UsageError(command, QStringLiteral("--port needs a value"));
                return std::nullopt;
            }
            a.port = args[++i];
        } else if ((options & kPortOption) && word.startsWith(QLatin1String("--port="))) {
            a.port = word.mid(7);
            if (a.port.isEmpty()) {
                UsageError(command, QStringLiteral("--port needs a value"));
                return std::nullopt;
            }
        } else {
            UsageError(command, QStringLiteral("unknown option ") + word);
            return std::nullopt;
        }
    }
    return a;
}

bool CheckArguments(const QString &command, const Arguments &a, const QStringList &operandNames,
                    bool needsPort)
{
    if (a.operands.size() < operandNames.size()) {
        UsageError(command, operandNames[a.operands.size()] + QStringLiteral(" missing"));
        return false;
    }
    if (a.operands.size() > operandNames.size()) {
        UsageError(command, QStringLiteral("unexpected argument ") + a.operands[operandNames.size()]);
        return false;
    }
    if (needsPort && a.port.isEmpty()) {
        UsageError(command, QStringLiteral("--port PORT missing"));
        return false;
    }
    if (needsPort && !PortDevice(a.port)) {
        UsageError(command, QStringLiteral("PORT must be COM1 .. COM8 or a device path, not ") + a.port);
        return false;
    }
    return true;
}

} // namespace cli
