#include "cmdline/Refusal.h"

namespace cmdline {

QString OptionWord(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString ParseRefusal(const QCommandLineParser &parser, const QList<QCommandLineOption> &options,
                     const QStringList &words)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("unknown option ") + OptionWord(parser.unknownOptionNames().constFirst());
    for (const QCommandLineOption &option : options) {
        if (option.valueName().isEmpty())
            continue;
        qsizetype given = 0;
        for (const QString &name : option.names())
            given += parser.optionNames().count(name);
        if (given > parser.values(option).size())
            return OptionWord(option.names().constLast()) + QStringLiteral(" needs a value");
    }
    // What remains is a flag given a value, which only "--flag=value" does.
    for (const QString &word : words) {
        for (const QCommandLineOption &option : options) {
            const QString flag = OptionWord(option.names().constLast());
            if (option.valueName().isEmpty() && word.startsWith(flag + QLatin1Char('=')))
                return flag + QStringLiteral(" takes no value");
        }
    }
    return parser.errorText();
}

} // namespace cmdline
