#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace cli {

struct Command;

// The words that follow a command's name.
struct Arguments {
    QStringList operands;
    QString port;      // the last --port; empty: none
    QStringList ports; // every --port, in order
    bool csv = false;
    bool byOutput = false;
    QString output;
    QString paper;
    QString set;
    QString unset;
    QString maps;
    int given = 0; // the Option flags of the options given
    bool help = false;
};

// Parses words against the options of command. A mistake is reported (usage class) and
// gives nothing; --help anywhere wins over every other word.
std::optional<Arguments> ParseArguments(const Command &command, const QStringList &words);
// Checks the operand count, the options that must be given and, when the command needs
// one, the port; reports a mistake.
bool CheckArguments(const Command &command, const Arguments &a);

} // namespace cli
