#pragma once

namespace cli {

struct Command;

// The help of the tool, with one line for each command of the table.
void PrintMainHelp();
// The help of one command.
void PrintHelp(const Command &command);

} // namespace cli
