// send_trap: sends one SNMP notification to a trap receiver, built with the
// Quillow library the way any program of its users would build one.
//
//   send_trap v1 HOST PORT COMMUNITY ENTERPRISE AGENT-ADDRESS GENERIC SPECIFIC TIMESTAMP [OID TEXT]
//   send_trap v2 HOST PORT COMMUNITY ENTERPRISE GENERIC SPECIFIC TIMESTAMP OID TEXT
//
// A v1 trap carries the five trap fields in its header. A v2 trap carries
// them as its leading bindings, sysUpTime.0 and snmpTrapOID.0, which
// buildV2TrapVarbinds makes from the same fields. Either way the message goes
// out as one UDP datagram; a trap is not answered, so nothing is awaited.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "message/message.h"
#include "sockets/sockets.h"
#include "transport/udp_transport.h"
#include "values/oid.h"
#include "values/strings.h"

namespace {

constexpr int kExitSent = 0;
constexpr int kExitUsage = 1;
constexpr int kExitBadArgument = 2;
constexpr int kExitNotSent = 3;

void printUsage(std::FILE* to) {
    std::fputs(
        "Usage: send_trap v1 HOST PORT COMMUNITY ENTERPRISE AGENT-ADDRESS GENERIC SPECIFIC TIMESTAMP [OID TEXT]\n"
        "       send_trap v2 HOST PORT COMMUNITY ENTERPRISE GENERIC SPECIFIC TIMESTAMP OID TEXT\n"
        "\n"
        "Sends one SNMP notification as one UDP datagram to HOST:PORT and exits;\n"
        "nothing is awaited in return.\n"
        "\n"
        "  v1             an SNMPv1 Trap, with the trap fields in its header\n"
        "  v2             an SNMPv2c Trap, whose bindings start with sysUpTime.0 = TIMESTAMP\n"
        "                 and snmpTrapOID.0: 1.3.6.1.6.3.1.1.5.(GENERIC + 1) for GENERIC\n"
        "                 0 to 5, ENTERPRISE.0.SPECIFIC for any other GENERIC\n"
        "  HOST           the receiver's dotted IPv4 address or DNS name\n"
        "  PORT           the receiver's UDP port, 1 to 65535 (receivers usually listen on 162)\n"
        "  COMMUNITY      the community name\n"
        "  ENTERPRISE     dotted object identifier of the sender's kind, e.g. 1.3.6.1.4.1.32473.2.3\n"
        "  AGENT-ADDRESS  dotted IPv4 address of the sender, e.g. 192.168.2.1\n"
        "  GENERIC        generic-trap number: 0 coldStart, 1 warmStart, 2 linkDown, 3 linkUp,\n"
        "                 4 authenticationFailure, 5 egpNeighborLoss, 6 enterpriseSpecific\n"
        "  SPECIFIC       specific-trap number\n"
        "  TIMESTAMP      the sender's up-time in hundredths of a second, 0 to 4294967295\n"
        "  OID TEXT       one more binding: a dotted object identifier and a string value\n"
        "\n"
        "Exit status: 0 sent, 1 usage, 2 an argument that cannot be used, 3 not sent.\n",
        to);
}

int badArgument(const char* what, const char* text, const char* expected) {
    std::fprintf(stderr, "send_trap: %s '%s' is not %s\n", what, text, expected);
    return kExitBadArgument;
}

// A whole decimal number within [low, high]: an optional '-' and digits,
// nothing before or after them.
bool readNumber(const char* text, long long low, long long high, long long& value) {
    const char* digits = *text == '-' ? text + 1 : text;
    if (*digits < '0' || *digits > '9') return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

// Dotted decimal text of at least minParts parts, each at most maxPart. The
// library reads dotted text leniently (a part that is no number counts as 0,
// empty parts are skipped), so the example checks what a user typed first:
// a typing error then is an error here, not a notification about some
// other object. One leading '.' is allowed, as receivers print identifiers
// with one.
bool isDotted(const char* text, int minParts, int maxParts, unsigned long long maxPart) {
    const char* at = *text == '.' ? text + 1 : text;
    int parts = 0;
    for (;;) {
        unsigned long long part = 0;
        const char* start = at;
        while (*at >= '0' && *at <= '9') {
            part = part * 10 + static_cast<unsigned>(*at - '0');
            if (part > maxPart) return false;
            ++at;
        }
        if (at == start) return false;
        ++parts;
        if (*at == '\0') break;
        if (*at != '.') return false;
        ++at;
    }
    return parts >= minParts && parts <= maxParts;
}

// An identifier the library can encode as it was written: it refuses, as an
// empty identifier, one that no encoding carries faithfully (a first arc
// above 2, a second above 39 under a first of 0 or 1).
bool isObjectIdentifier(const char* text) {
    if (!isDotted(text, 2, 128, 4294967295ull)) return false;
    const quillow::SnmpOid oid(text);
    return oid.getContentLength() > 0;
}

bool isIpv4Address(const char* text) { return *text != '.' && isDotted(text, 4, 4, 255); }

struct Notification {
    bool v1 = true;
    const char* host = nullptr;
    std::int32_t port = 0;
    const char* community = nullptr;
    const char* enterprise = nullptr;
    const char* agentAddress = nullptr;
    std::int32_t generic = 0;
    std::int32_t specific = 0;
    std::uint32_t timeStamp = 0;
    const char* bindingName = nullptr;  // with bindingText, or both null
    const char* bindingText = nullptr;
};

// Reads the command line into the notification. Returns kExitSent when every
// argument can be used, otherwise the exit status to end with.
int readArguments(int argc, char** argv, Notification& n) {
    if (argc < 2) return kExitUsage;
    const bool v1 = std::strcmp(argv[1], "v1") == 0;
    const bool v2 = std::strcmp(argv[1], "v2") == 0;
    if (v1 && argc != 10 && argc != 12) return kExitUsage;
    if (v2 && argc != 11) return kExitUsage;
    if (!v1 && !v2) return kExitUsage;
    n.v1 = v1;

    int at = 2;
    n.host = argv[at++];
    long long number = 0;
    const char* port = argv[at++];
    if (!readNumber(port, 1, 65535, number)) return badArgument("PORT", port, "a port number from 1 to 65535");
    n.port = static_cast<std::int32_t>(number);
    n.community = argv[at++];
    n.enterprise = argv[at++];
    if (!isObjectIdentifier(n.enterprise)) {
        return badArgument("ENTERPRISE", n.enterprise, "a dotted object identifier such as 1.3.6.1.4.1.32473.2.3");
    }
    if (v1) {
        n.agentAddress = argv[at++];
        if (!isIpv4Address(n.agentAddress)) {
            return badArgument("AGENT-ADDRESS", n.agentAddress, "a dotted IPv4 address such as 192.168.2.1");
        }
    }
    const char* generic = argv[at++];
    if (!readNumber(generic, INT32_MIN, INT32_MAX, number)) {
        return badArgument("GENERIC", generic, "a 32-bit number such as 6");
    }
    n.generic = static_cast<std::int32_t>(number);
    const char* specific = argv[at++];
    if (!readNumber(specific, INT32_MIN, INT32_MAX, number)) {
        return badArgument("SPECIFIC", specific, "a 32-bit number");
    }
    n.specific = static_cast<std::int32_t>(number);
    const char* timeStamp = argv[at++];
    if (!readNumber(timeStamp, 0, UINT32_MAX, number)) {
        return badArgument("TIMESTAMP", timeStamp, "a number from 0 to 4294967295");
    }
    n.timeStamp = static_cast<std::uint32_t>(number);
    if (at < argc) {
        n.bindingName = argv[at++];
        n.bindingText = argv[at++];
        if (!isObjectIdentifier(n.bindingName)) {
            return badArgument("OID", n.bindingName, "a dotted object identifier such as 1.3.6.1.2.1.1.5.0");
        }
    }
    return kExitSent;
}

// Builds the notification and sends it. Returns the exit status.
int send(const Notification& n) {
    using namespace quillow;

    // SNMPv1 is version 0 on the wire, SNMPv2c version 1.
    SnmpMessage message(n.v1 ? kTagTrap : kTagTrapV2, n.v1 ? 0 : 1);
    message.setCommunity(n.community);

    if (n.bindingName != nullptr) {
        SnmpOid* name = new (std::nothrow) SnmpOid(n.bindingName);
        SnmpOctetString* value = new (std::nothrow) SnmpOctetString(n.bindingText);
        Varbind* binding = new (std::nothrow) Varbind(name, value);
        if (binding == nullptr || name == nullptr || value == nullptr) {
            if (binding == nullptr) {
                delete name;
                delete value;
            }
            std::fprintf(stderr, "send_trap: out of memory\n");
            return kExitNotSent;
        }
        message.addVarbind(binding);
    }

    if (n.v1) {
        message.setEnterprise(n.enterprise);
        message.setAgentAddress(n.agentAddress);
        message.setGenericTrap(n.generic);
        message.setSpecificTrap(n.specific);
        message.setTimeStamp(n.timeStamp);
    } else {
        // sysUpTime.0 and snmpTrapOID.0 go in front of the user's binding.
        message.buildV2TrapVarbinds(n.timeStamp, n.enterprise, n.generic, n.specific);
    }

    UdpTransport transport(n.port, n.host);
    if (!transport.isReady()) {
        // The host did not resolve, or no socket could be made or bound.
        std::fprintf(stderr, "send_trap: cannot send to %s: no such host, or no socket (error %d)\n", n.host,
                     static_cast<int>(transport.getLastError()));
        return kExitNotSent;
    }
    const std::int32_t sent = transport.send(message);
    if (sent <= 0) {
        std::fprintf(stderr, "send_trap: sending to %s:%d failed (error %d)\n", n.host, static_cast<int>(n.port),
                     static_cast<int>(transport.getLastError()));
        return kExitNotSent;
    }
    std::printf("sent an SNMP%s trap of %d bytes to %s:%d\n", n.v1 ? "v1" : "v2c", static_cast<int>(sent), n.host,
                static_cast<int>(n.port));
    return kExitSent;
}

}  // namespace

int main(int argc, char** argv) {
    Notification notification;
    const int status = readArguments(argc, argv, notification);
    if (status == kExitUsage) {
        printUsage(stderr);
        return kExitUsage;
    }
    if (status != kExitSent) return status;

    // The platform's sockets are started around every use of a transport.
    if (quillow::sockets::startup() != 0) {
        std::fprintf(stderr, "send_trap: the sockets library did not start\n");
        return kExitNotSent;
    }
    const int result = send(notification);
    quillow::sockets::cleanup();
    return result;
}
