#pragma once
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// The command-line tools' words for what QCommandLineParser refuses.
namespace cmdline {

// An option as a user writes it: "-o" for a name of one letter, "--output" for a longer.
QString OptionWord(const QString &name);

// Why parser refused words, which it parsed with options: "unknown option -x", "--port
// needs a value" (the last word, with nothing after it) or "--csv takes no value".
QString ParseRefusal(const QCommandLineParser &parser, const QList<QCommandLineOption> &options,
                     const QStringList &words);

} // namespace cmdline
