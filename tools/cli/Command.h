#pragma once
#include "document/MapLabels.h"
#include "link/Protocol.h"

#include <QStringList>
#include <vector>

namespace cli {

class Controller;

// Options a command takes. A command that needs a port takes --port without asking.
enum Option {
    kNoOptions = 0,
    kCsvOption = 1,      // --csv
    kByOutputOption = 2, // --by-output
    kOutputOption = 4,   // -o FILE, --output FILE
    kPaperOption = 8,    // --paper a4|letter
    kSetOption = 16,     // --set COMn=PATH
    kUnsetOption = 32,   // --unset COMn
    kPortOption = 64,    // --port PORT, repeatable where the command opens its ports itself
    kMapsOption = 128,   // --maps FOLDER
};

// What the preparing step does with a command's operands.
enum class Operands {
    kMaps,       // reads each as a map file, as the editor reads it
    kMapEntries, // reads each as a map file, keeping device entries outside the lists
    kNames,      // leaves them to the command
};

// What a command receives: the operands and options its words give (the last value of
// an option given more than once, but every --port), its map files read and, when it
// needs one, its controller opened.
struct Job {
    QStringList files;                          // the operands as given
    std::vector<dmxlink::MapTable> maps;        // the tables of map file operands, in the same order
    std::vector<modCVDMXMap::LabelsTail> tails; // what follows each of those tables
    bool csv = false;                           // --csv
    bool byOutput = false;                      // --by-output
    QString output;                             // -o, --output
    QString paper;                              // --paper, as given
    QString set;                                // --set
    QString unset;                              // --unset
    QStringList ports;                          // every --port, in order
    QString mapsFolder;                         // --maps
    Controller *controller = nullptr;           // open when the command needs a port
};

// One row of the table of commands.
struct Command {
    const char *name;
    const char *synopsis;    // "show FILE [--csv]": its usage line and its line in the main help
    const char *summary;     // what it does, in the main help
    const char *description; // its help between the usage line and the exit statuses
    const char *status;      // the exit statuses that end its help
    QStringList operands;    // the names of its operands, in order
    Operands reads;          // what is done with them before it runs
    int options;             // Option flags
    int required;            // Option flags that must be given
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
int RunCheck(Job &job);
int RunImport(Job &job);
int RunSheet(Job &job);
int RunPorts(Job &job);
int RunIdentify(Job &job);

} // namespace cli
