#include "sim/Options.h"

#include "cmdline/Refusal.h"

#include <QCommandLineParser>

namespace sim {

namespace {

const char kUsage[]
    = "Usage: cvdmx-sim [options]\n"
      "Stands in for a QRT Corvanta DMX controller on a pseudo-terminal. Prints the path\n"
      "of the line on the first line of its output, then one line per command received\n"
      "(\"rx [..]\"). Ends on SIGINT or SIGTERM.\n"
      "\n"
      "  --port COMn        write the line's path into section [Ports], key COMn, of the\n"
      "                     editor's settings file, so that the editor's COMn reaches it;\n"
      "                     ends with status 1 when that file cannot be written\n"
      "  --port DEVICE      serve on this serial device (a path such as /dev/ttyUSB1,\n"
      "                     wired to the editor's port) instead of a pseudo-terminal\n"
      "  --save FILE        on exit, write the map held as a 1028-byte map file (entries\n"
      "                     0..511 as received, 255 where nothing was received;\n"
      "                     device address and range 0)\n"
      "  --revision TEXT    the 18 characters answered to [04]\n"
      "\n"
      "Misbehaving. WHAT is 01 (every block), 01:N (block N, 0..7), 03 or 04;\n"
      "each of these may be given more than once:\n"
      "  --silent WHAT      never answer WHAT\n"
      "  --short WHAT       answer WHAT one character short\n"
      "  --extra WHAT       add --extra-text (default \"#\") after the answer to WHAT\n"
      "  --junk WHAT        send --junk-text (default \"~~\") before the answer to WHAT\n"
      "  --late WHAT        answer WHAT after --delay MS (default 1500)\n"
      "  --bad-checksum     report a wrong checksum to [03]\n"
      "  --lower-checksum   report the checksum in lower-case digits\n"
      "  --drop-at N        close the line, unanswered, when block N arrives; then open\n"
      "                     a new line, print its path and update --port\n"
      "  --help             show this text\n"
      "\n"
      "Exit status: 0 ended by a signal or --help, 1 the --save file or the settings\n"
      "file cannot be written, 2 a bad option or no line to serve on.\n";

QCommandLineOption Valued(const char *name, const char *valueName)
{
    return QCommandLineOption(QLatin1String(name), QString(), QLatin1String(valueName));
}

// The misbehaviours that take a WHAT, each as often as it is given.
struct TargetOption {
    const char *name;
    QList<Target> Behaviour::*targets;
};

const TargetOption kTargetOptions[] = {
    {"silent", &Behaviour::silent}, {"short", &Behaviour::shortReply}, {"extra", &Behaviour::extra},
    {"junk", &Behaviour::junk},     {"late", &Behaviour::late},
};

// A count an option gives (--delay MS, --drop-at N): each value given a whole number from 0,
// the last one taken.
bool TakeCount(const QCommandLineParser &parser, const QCommandLineOption &option, int *count, QString *mistake)
{
    for (const QString &value : parser.values(option)) {
        bool ok = false;
        *count = value.toInt(&ok);
        if (!ok || *count < 0) {
            *mistake = cmdline::OptionWord(option.names().constFirst()) + QStringLiteral(" needs a number");
            return false;
        }
    }
    return true;
}

} // namespace

const char *UsageText()
{
    return kUsage;
}

bool ParseOptions(const QStringList &args, Options *o, QString *mistake)
{
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption port = Valued("port", "PORT");
    const QCommandLineOption save = Valued("save", "FILE");
    const QCommandLineOption revision = Valued("revision", "TEXT");
    const QCommandLineOption extraText = Valued("extra-text", "TEXT");
    const QCommandLineOption junkText = Valued("junk-text", "TEXT");
    const QCommandLineOption delay = Valued("delay", "MS");
    const QCommandLineOption dropAt = Valued("drop-at", "N");
    const QCommandLineOption badChecksum(QStringLiteral("bad-checksum"));
    const QCommandLineOption lowerChecksum(QStringLiteral("lower-checksum"));
    QList<QCommandLineOption> options{help,     port,  save,   revision,    extraText,
                                      junkText, delay, dropAt, badChecksum, lowerChecksum};
    for (const TargetOption &t : kTargetOptions)
        options.append(Valued(t.name, "WHAT"));
    QCommandLineParser parser;
    parser.addOptions(options);
    const bool parsed = parser.parse(args);
    o->help = parser.isSet(help);
    if (o->help)
        return true;
    const QString more = QStringLiteral(" (see --help)");
    if (!parsed) {
        *mistake
            = cmdline::ParseRefusal(parser, options, args) + (parser.unknownOptionNames().isEmpty() ? QString() : more);
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *mistake = QStringLiteral("unexpected argument ") + parser.positionalArguments().constFirst() + more;
        return false;
    }
    for (const QString &word : parser.values(port)) {
        const std::optional<platform::ComPort> com = platform::ComPort::FromName(word);
        if (word.contains(QLatin1Char('/'))) {
            o->device = word;
        } else if (com) {
            o->comPort = com;
        } else {
            *mistake = QStringLiteral("--port takes COM1 .. COM8 or a device path, not ") + word;
            return false;
        }
    }
    o->saveFile = parser.value(save);
    if (parser.isSet(save) && o->saveFile.isEmpty()) {
        *mistake = QStringLiteral("--save needs a value");
        return false;
    }
    Behaviour &b = o->behaviour;
    if (parser.isSet(revision))
        b.revision = parser.value(revision).toLatin1();
    if (parser.isSet(extraText))
        b.extraText = parser.value(extraText).toLatin1();
    if (parser.isSet(junkText))
        b.junkText = parser.value(junkText).toLatin1();
    for (const TargetOption &t : kTargetOptions) {
        for (const QString &text : parser.values(QLatin1String(t.name))) {
            Target target;
            if (!ParseTarget(text, &target)) {
                *mistake = QStringLiteral("not a command: ") + text;
                return false;
            }
            (b.*t.targets).append(target);
        }
    }
    if (!TakeCount(parser, delay, &b.lateMs, mistake) || !TakeCount(parser, dropAt, &b.dropAtBlock, mistake))
        return false;
    b.wrongChecksum = parser.isSet(badChecksum);
    b.lowerChecksum = parser.isSet(lowerChecksum);
    return true;
}

} // namespace sim
