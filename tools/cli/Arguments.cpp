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

// The option words: a flag, or a word that takes the next word (or what follows "=") as
// its value.
struct OptionWord {
    int option;
    const char *name;
    const char *shortName;
    bool Arguments::*flag;
    QString Arguments::*value;
    const char *valueName;
};

const OptionWord kOptionWords[] = {
    {kCsvOption, "--csv", nullptr, &Arguments::csv, nullptr, nullptr},
    {kByOutputOption, "--by-output", nullptr, &Arguments::byOutput, nullptr, nullptr},
    {kOutputOption, "--output", "-o", nullptr, &Arguments::output, "FILE"},
    {kPaperOption, "--paper", nullptr, nullptr, &Arguments::paper, "a4|letter"},
    {kSetOption, "--set", nullptr, nullptr, &Arguments::set, "COMn=PATH"},
    {kUnsetOption, "--unset", nullptr, nullptr, &Arguments::unset, "COMn"},
    {kMapsOption, "--maps", nullptr, nullptr, &Arguments::maps, "FOLDER"},
    {kPortOption, "--port", nullptr, nullptr, &Arguments::port, "PORT"},
};

const OptionWord *FindOption(int options, const QString &word, QString *inlineValue)
{
    for (const OptionWord &o : kOptionWords) {
        if (!(options & o.option))
            continue;
        const QString name = QLatin1String(o.name);
        if (word == name || (o.shortName && word == QLatin1String(o.shortName)))
            return &o;
        if (o.value && word.startsWith(name + QLatin1Char('='))) {
            *inlineValue = word.mid(name.size() + 1);
            return &o;
        }
    }
    return nullptr;
}

} // namespace

std::optional<Arguments> ParseArguments(const Command &command, const QStringList &words)
{
    Arguments a;
    if (words.contains(QLatin1String("--help")) || words.contains(QLatin1String("-h"))) {
        a.help = true;
        return a;
    }
    const int options = command.options | (command.needsPort ? kPortOption : 0);
    bool optionsEnded = false;
    for (int i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            a.operands.append(word);
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString value;
        const OptionWord *o = FindOption(options, word, &value);
        if (!o) {
            UsageError(command, QStringLiteral("unknown option ") + word);
            return std::nullopt;
        }
        a.given |= o->option;
        if (o->flag) {
            a.*(o->flag) = true;
            continue;
        }
        if (!word.contains(QLatin1Char('=')))
            value = i + 1 < words.size() ? words[++i] : QString();
        if (value.isEmpty()) {
            UsageError(command, QLatin1String(o->name) + QStringLiteral(" needs a value"));
            return std::nullopt;
        }
        a.*(o->value) = value;
        if (o->option == kPortOption)
            a.ports.append(value);
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
    for (const OptionWord &o : kOptionWords) {
        if ((command.required & o.option) && !(a.given & o.option)) {
            UsageError(command,
                       QLatin1String(o.shortName ? o.shortName : o.name) + QLatin1Char(' ') + QLatin1String(o.valueName)
                           + QStringLiteral(" missing"));
            return false;
        }
    }
    if (command.needsPort && a.port.isEmpty()) {
        UsageError(command, QStringLiteral("--port PORT missing"));
        return false;
    }
    for (const QString &port : a.ports) {
        if (!PortDevice(port)) {
            UsageError(command, QStringLiteral("PORT must be COM1 .. COM8 or a device path, not ") + port);
            return false;
        }
    }
    return true;
}

} // namespace cli
