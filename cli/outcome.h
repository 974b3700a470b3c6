// The exit statuses of the quillow tool, one for each outcome, so that a
// script can tell a printed value from every kind of failure.
#pragma once

namespace quillow {
namespace cli {

enum ExitStatus : int {
    kExitValuePrinted = 0,
    kExitUsage = 1,
    kExitNoReply = 2,
    kExitRequestIdMismatch = 3,
    kExitErrorStatus = 4,
};

}  // namespace cli
}  // namespace quillow
