#include "Arguments.h"

#include "Command.h"
#include "Output.h"
#include "PortDevice.h"
#include "cmdline/Refusal.h"

#include <QCommandLineParser>

namespace cli {

namespace {

void UsageError(const Command &command, const QString &message)
{
    const QString name = QLatin1String(command.name);
    Error(name + QStringLiteral(": ") + message + QStringLiteral(" (see cvdmxmap-cli ") + name
          + QStringLiteral(" --help)"));
}

// An option and where the parser's findings go in a job: whether a flag was given, the
// last value given, or every value in order.
struct OptionWord {
    int option;
    QCommandLineOption spec;
    bool Job::*flag;
    QString Job::*last;
    QStringList Job::*all;
};

QCommandLineOption Valued(const QStringList &names, const QString &valueName)
{
    return QCommandLineOption(names, QString(), valueName);
}

const std::vector<OptionWord> &OptionWords()
{
    static const std::vector<OptionWord> words{
        {kCsvOption, QCommandLineOption(QStringLiteral("csv")), &Job::csv, nullptr, nullptr},
        {kByOutputOption, QCommandLineOption(QStringLiteral("by-output")), &Job::byOutput, nullptr, nullptr},
        {kOutputOption, Valued({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("FILE")), nullptr,
         &Job::output, nullptr},
        {kPaperOption, Valued({QStringLiteral("paper")}, QStringLiteral("a4|letter")), nullptr, &Job::paper, nullptr},
        {kSetOption, Valued({QStringLiteral("set")}, QStringLiteral("COMn=PATH")), nullptr, &Job::set, nullptr},
        {kUnsetOption, Valued({QStringLiteral("unset")}, QStringLiteral("COMn")), nullptr, &Job::unset, nullptr},
        {kMapsOption, Valued({QStringLiteral("maps")}, QStringLiteral("FOLDER")), nullptr, &Job::mapsFolder, nullptr},
        {kPortOption, Valued({QStringLiteral("port")}, QStringLiteral("PORT")), nullptr, nullptr, &Job::ports},
    };
    return words;
}

// "-o FILE", "--port PORT": an option as the usage line writes it.
QString UsageWords(const QCommandLineOption &spec)
{
    return cmdline::OptionWord(spec.names().constFirst()) + QLatin1Char(' ') + spec.valueName();
}

// Why the job that the parser filled is no run of command: the first mistake, or nothing.
QString Mistake(const Command &command, const QCommandLineParser &parser, const std::vector<const OptionWord *> &taken,
                const Job &job)
{
    for (const OptionWord *o : taken) {
        if (!o->flag && parser.values(o->spec).contains(QString()))
            return cmdline::OptionWord(o->spec.names().constLast()) + QStringLiteral(" needs a value");
    }
    const QStringList &operands = job.files;
    const QStringList &names = command.operands;
    if (operands.size() < names.size())
        return names[operands.size()] + QStringLiteral(" missing");
    if (operands.size() > names.size())
        return QStringLiteral("unexpected argument ") + operands[names.size()];
    for (const OptionWord *o : taken) {
        if ((command.required & o->option) && !parser.isSet(o->spec))
            return UsageWords(o->spec) + QStringLiteral(" missing");
    }
    if (command.needsPort && job.ports.isEmpty())
        return QStringLiteral("--port PORT missing");
    for (const QString &port : job.ports) {
        if (!PortDevice(port))
            return QStringLiteral("PORT must be COM1 .. COM8 or a device path, not ") + port;
    }
    return QString();
}

} // namespace

Request ParseArguments(const Command &command, const QStringList &words, Job *job)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    QList<QCommandLineOption> specs{help};
    std::vector<const OptionWord *> taken;
    const int options = command.options | (command.needsPort ? kPortOption : 0);
    for (const OptionWord &o : OptionWords()) {
        if (options & o.option) {
            taken.push_back(&o);
            specs.append(o.spec);
        }
    }
    parser.addOptions(specs);
    const bool parsed = parser.parse(QStringList{QLatin1String(command.name)} + words);
    if (parser.isSet(help))
        return Request::kHelp;
    if (!parsed) {
        UsageError(command, cmdline::ParseRefusal(parser, specs, words));
        return Request::kUsage;
    }
    job->files = parser.positionalArguments();
    for (const OptionWord *o : taken) {
        if (o->flag)
            job->*o->flag = parser.isSet(o->spec);
        else if (o->last)
            job->*o->last = parser.value(o->spec);
        else
            job->*o->all = parser.values(o->spec);
    }
    const QString mistake = Mistake(command, parser, taken, *job);
    if (mistake.isEmpty())
        return Request::kRun;
    UsageError(command, mistake);
    return Request::kUsage;
}

} // namespace cli
