#include "Prepare.h"

#include "Arguments.h"
#include "Command.h"
#include "Controller.h"
#include "Help.h"
#include "MapInput.h"
#include "Status.h"

namespace cli {

int Execute(const Command &command, const QStringList &words)
{
    Job job;
    switch (ParseArguments(command, words, &job)) {
    case Request::kHelp:
        PrintHelp(command);
        return kOk;
    case Request::kUsage:
        return kUsage;
    case Request::kRun:
        break;
    }
    for (const QString &file : job.files) {
        if (command.reads == Operands::kNames)
            break;
        modCVDMXMap::LabelsTail tail;
        const std::optional<dmxlink::MapTable> map = ReadMap(file, command.reads == Operands::kMapEntries, &tail);
        if (!map)
            return kFileError;
        job.maps.push_back(*map);
        job.tails.push_back(tail);
    }
    if (!command.needsPort)
        return command.run(job);
    // The files are read before the port is touched; the last --port given is the one.
    Controller controller;
    if (!controller.Open(job.ports.constLast()))
        return kPortError;
    job.controller = &controller;
    return command.run(job);
}

} // namespace cli
