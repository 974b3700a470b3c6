// quillow ipAddress community oid: fetches one SNMP object from one device.
#include "outcome.h"
#include "request.h"
#include "usage.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        quillow::cli::printUsage(argc > 0 ? argv[0] : nullptr);
        return quillow::cli::kExitUsage;
    }
    return quillow::cli::runRequest(argv[1], argv[2], argv[3]);
}
