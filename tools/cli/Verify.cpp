#include "Command.h"
#include "Controller.h"
#include "Output.h"
#include "Status.h"

namespace cli {

int RunVerify(Job &job)
{
    const QString &file = job.files[0];
    Controller &controller = *job.controller;
    if (!controller.Ask(dmxlink::kChecksumCommand, dmxlink::kChecksumReplyLength,
                        QStringLiteral("the checksum query ") + dmxlink::kChecksumCommand))
        return kTimeout;
    controller.Close();

    const QString reported = controller.ReplyChecksum();
    const QString expected = dmxlink::MapChecksumText(job.maps[0]);
    if (reported == expected) {
        Out(controller.Where() + QStringLiteral(" holds ") + file + QStringLiteral(" (checksum ") + expected
            + QStringLiteral(")"));
        return kOk;
    }
    Out(controller.Where() + QStringLiteral(" holds another map: checksum ") + reported + QStringLiteral(", ") + file
        + QStringLiteral(" has ") + expected);
    return kDiffers;
}

} // namespace cli
