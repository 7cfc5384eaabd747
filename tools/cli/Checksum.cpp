#include "Command.h"
#include "Output.h"
#include "Status.h"

namespace cli {

int RunChecksum(Job &job)
{
    Out(dmxlink::MapChecksumText(job.maps[0]));
    return kOk;
}

} // namespace cli
