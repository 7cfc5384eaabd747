#include "Arguments.h"

#include "Command.h"
#include "Output.h"
#include "PortDevice.h"

namespace cli {

namespace {

void UsageError(const Command &command, const QString &message)
{
    const QString name = QLatin1String(command.name);
    Error(name + QStringLiteral(": ") + message + QStringLiteral(" (see cvdmxmap-cli ") + name
          + QStringLiteral(" --help)"));
}

} // namespace

std::optional<Arguments> ParseArguments(const Command &command, const QStringList &words)
{
    Arguments a;
    if (words.contains(QLatin1String("--help")) || words.contains(QLatin1String("-h"))) {
        a.help = true;
        return a;
    }
    bool optionsEnded = false;
    for (int i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            a.operands.append(word);
        } else if (word == QLatin1String("--")) {
            optionsEnded = true;
        } else if ((command.options & kCsvOption) && word == QLatin1String("--csv")) {
            a.csv = true;
        } else if (command.needsPort && word == QLatin1String("--port")) {
            if (i + 1 >= words.size() || words[i + 1].isEmpty()) {
                UsageError(command, QStringLiteral("--port needs a value"));
                return std::nullopt;
            }
            a.port = words[++i];
        } else if (command.needsPort && word.startsWith(QLatin1String("--port="))) {
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

bool CheckArguments(const Command &command, const Arguments &a)
{
    const QStringList &names = command.operands;
    if (a.operands.size() < names.size()) {
        UsageError(command, names[a.operands.size()] + QStringLiteral(" missing"));
        return false;
    }
    if (a.operands.size() > names.size()) {
        UsageError(command, QStringLiteral("unexpected argument ") + a.operands[names.size()]);
        return false;
    }
    if (command.needsPort && a.port.isEmpty()) {
        UsageError(command, QStringLiteral("--port PORT missing"));
        return false;
    }
    if (command.needsPort && !PortDevice(a.port)) {
        UsageError(command, QStringLiteral("PORT must be COM1 .. COM8 or a device path, not ") + a.port);
        return false;
    }
    return true;
}

} // namespace cli
