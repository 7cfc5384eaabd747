#include "Command.h"
#include "Output.h"
#include "Status.h"
#include "document/MapCheck.h"

namespace cli {

int RunCheck(Job &job)
{
    const QStringList findings = modCVDMXMap::CheckMap(job.maps[0]);
    for (const QString &finding : findings)
        Out(finding);
    return findings.isEmpty() ? kOk : kDiffers;
}

} // namespace cli
