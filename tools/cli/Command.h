#pragma once
#include "link/Protocol.h"

#include <QStringList>
#include <vector>

namespace cli {

class Controller;

// Options a command takes besides --port (which every command that needs a port takes).
enum Option { kNoOptions = 0, kCsvOption = 1 };

// What a command receives once its words are checked, its map files read and, when it
// needs one, its controller opened.
struct Job {
    QStringList files;                   // the map file operands as given
    std::vector<dmxlink::MapTable> maps; // their tables, in the same order
    bool csv = false;
    Controller *controller = nullptr; // open when the command needs a port
};

// One row of the table of commands.
struct Command {
    const char *name;
    const char *synopsis;    // "show FILE [--csv]": its usage line and its line in the main help
    const char *summary;     // what it does, in the main help
    const char *description; // its help between the usage line and the exit statuses
    const char *status;      // the exit statuses that end its help
    QStringList operands;    // the names of its map file operands, in order
    int options;             // Option flags
    bool needsPort;          // takes --port PORT, opened before it runs
    int (*run)(Job &job);
};

// Every command, in the order of the main help.
const std::vector<Command> &Commands();
// The command called name; nothing for an unknown name.
const Command *FindCommand(const QString &name);

int RunShow(Job &job);
int RunChecksum(Job &job);
int RunDownload(Job &job);
int RunVerify(Job &job);
int RunRevision(Job &job);
int RunDiff(Job &job);

} // namespace cli
