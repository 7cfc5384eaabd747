#pragma once
#include <QStringList>

namespace cli {

struct Command;
struct Job;

// What the words after a command's name ask for.
enum class Request {
    kRun,   // the job is filled: the operands, the options, each port checked
    kHelp,  // --help or -h among the options
    kUsage, // a mistake, reported
};

// Parses words against the options of command into job (its operands and options),
// then checks the operand count, the options that must be given and, when the command
// takes ports, each port. --help wins over every mistake; after "--" every word is an
// operand, and the value of an option is never taken for an option itself.
Request ParseArguments(const Command &command, const QStringList &words, Job *job);

} // namespace cli
