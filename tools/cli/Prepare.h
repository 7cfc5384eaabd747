#pragma once
#include <QStringList>

namespace cli {

struct Command;

// Runs command on the words after its name: parses them against its row, answers
// --help, checks the operands and the port, reads every map file and opens the
// controller when the command needs one, then hands the job to the command. The first
// failure is reported and ends the run with its status.
int Execute(const Command &command, const QStringList &words);

} // namespace cli
