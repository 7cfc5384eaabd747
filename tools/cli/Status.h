#pragma once

namespace cli {

// One exit status per class of outcome.
enum Status : int {
    kOk = 0,
    kDiffers = 1, // checksum mismatch, another map on the controller, files that differ
    kUsage = 2,
    kFileError = 3,
    kPortError = 4,
    kTimeout = 5,
};

} // namespace cli
