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
    const std::optional<Arguments> a = ParseArguments(command, words);
    if (!a)
        return kUsage;
    if (a->help) {
        PrintHelp(command);
        return kOk;
    }
    if (!CheckArguments(command, *a))
        return kUsage;

    Job job;
    job.files = a->operands;
    job.csv = a->csv;
    job.byOutput = a->byOutput;
    job.output = a->output;
    job.paper = a->paper;
    job.set = a->set;
    job.unset = a->unset;
    job.ports = a->ports;
    job.mapsFolder = a->maps;
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
    // The files are read before the port is touched.
    Controller controller;
    if (!controller.Open(a->port))
        return kPortError;
    job.controller = &controller;
    return command.run(job);
}

} // namespace cli
