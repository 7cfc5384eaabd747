#include "Command.h"
#include "Controller.h"
#include "Output.h"
#include "Status.h"
#include "link/Download.h"

namespace cli {

int RunRevision(Job &job)
{
    Controller &controller = *job.controller;
    if (!controller.Ask(dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength,
                        QStringLiteral("the revision query ") + dmxlink::kFirmRevCommand))
        return kTimeout;
    controller.Close();
    Out(dmxlink::FirmRevText(controller.Reply()));
    return kOk;
}

} // namespace cli
