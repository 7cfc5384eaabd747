#include "Cli.h"

#include "link/Download.h"

#include <cstdio>

namespace cli {

namespace {

const char kHelp[] =
    "Usage: cvdmxmap-cli revision --port PORT\n"
    "Asks the controller on PORT for its firmware revision and prints the 18\n"
    "characters of its answer exactly as received.\n"
    "\n";

const char kStatus[] =
    "\n"
    "Exit status: 0 printed, 2 usage error, 4 PORT cannot be opened, 5 time-out or\n"
    "lost line.\n";

} // namespace

int RunRevision(const QStringList &args)
{
    const QString command = QStringLiteral("revision");
    const std::optional<Arguments> a = ParseArguments(command, args, kPortOption);
    if (!a)
        return kUsage;
    if (a->help) {
        Print(kHelp);
        Print(kPortHelp);
        Print(kStatus);
        return kOk;
    }
    if (!CheckArguments(command, *a, {}, true))
        return kUsage;
    Controller controller;
    if (!controller.Open(a->port))
        return kPortError;
    if (!controller.Ask(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength,
                        QStringLiteral("the revision query ") + dmxlink::kFirmRevCommand))
        return kTimeout;
    controller.Close();
    Out(dmxlink::FirmRevText(controller.Link().sReply));
    return kOk;
}

} // namespace cli
