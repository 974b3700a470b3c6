#pragma once

namespace quillow {
namespace cli {

// Fetches one object with an SNMPv1 GetRequest to port 161 of the host and
// prints its value or one outcome text. Returns the exit status.
int runRequest(const char* host, const char* community, const char* oid);

}  // namespace cli
}  // namespace quillow
