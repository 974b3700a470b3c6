#include "usage.h"

#include <cstdio>

#include "version.h"

namespace quillow {
namespace cli {

namespace {

constexpr const char* kExampleHost = "core-switch.example.net";

void upperCaseInPlace(char* text) {
    for (; *text != '\0'; ++text) {
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
    }
}

}  // namespace

void printUsage(char* invokedName) {
    char empty[] = "";
    char* name = invokedName != nullptr ? invokedName : empty;
    upperCaseInPlace(name);
    std::printf("Quillow v%s - one SNMP GET from the command line. Copyright (c) 2026 the Quillow developers\n\n",
                QUILLOW_BANNER_VERSION);
    std::printf("  A program to use SNMP to fetch an OID from a device.\n");
    std::printf("\n  Usage:\t%s ipAddress community oid\n\n", name);
    std::printf("  Arguments:\tipAddress = IP address of device (or DNS name)\n");
    std::printf("\t\tcommunity = SNMP read/write community name on device\n");
    std::printf("\t\toid = Specific OID to fetch\n");
    std::printf("\n");
    std::printf("Usage examples:\n");
    std::printf("\n");
    std::printf("  Quillow 192.168.2.1 harbour 1.3.6.1.2.1.1.1.0\n");
    std::printf("\tInstructs the device at 192.168.2.1 with the community name \"harbour\"\n");
    std::printf("        to display its system description.\n");
    std::printf("\n");
    std::printf("  Quillow %s walnut  1.3.6.1.2.1.2.2.1.2.1\n", kExampleHost);
    std::printf("\tInstructs the device with the DNS name of \"%s\" and the community\n", kExampleHost);
    std::printf("        name \"walnut\" to display the interface description for interface 1.\n");
}

}  // namespace cli
}  // namespace quillow
