#pragma once
#include "platform/ComPorts.h"
#include "sim/SimController.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace sim {

// What cvdmx-sim is asked to do.
struct Options {
    bool help = false; // show the usage text, and nothing else
    Behaviour behaviour;
    std::optional<platform::ComPort> comPort; // the port to point at the line
    QString device;                           // a serial device to serve on instead of a pseudo-terminal
    QString saveFile;
};

// The usage text --help shows.
const char *UsageText();

// The words of cvdmx-sim, its program's name first, as options; false, with the mistake
// in *mistake, when they are none. --help wins over every mistake; after "--" every word
// is an operand, which the simulator takes none of.
bool ParseOptions(const QStringList &args, Options *options, QString *mistake);

} // namespace sim
