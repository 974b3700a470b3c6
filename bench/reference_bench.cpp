// The same workloads through the reference library (net-snmp), used as a
// black box through its public headers: the same bytes in, the same message
// out, and on the decode side a parsed PDU whose variables are ready to use.
#include <benchmark/benchmark.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/benchmarks.h"
#include "bench/fixtures.h"

namespace quillow {
namespace bench {

namespace {

// sysDescr.0, already in the reference library's binary form: its side is
// spared the parsing of the dotted text that Quillow's side does.
const oid kRequestName[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
constexpr std::size_t kRequestNameLength = sizeof kRequestName / sizeof kRequestName[0];

// Room for the 40-byte request; the library grows the buffer if it needs more.
constexpr std::size_t kPacketRoom = 64;

netsnmp_session session;

u_char* copyOf(const char* text, std::size_t length) {
    auto* copy = static_cast<u_char*>(std::malloc(length));
    std::memcpy(copy, text, length);
    return copy;
}

netsnmp_pdu* makeRequest() {
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
    pdu->version = SNMP_VERSION_1;
    pdu->reqid = kRequestId;
    pdu->community_len = std::strlen(kCommunity);
    pdu->community = copyOf(kCommunity, pdu->community_len);
    snmp_add_null_var(pdu, kRequestName, kRequestNameLength);
    return pdu;
}

// The library builds back to front when reverse encoding is on: the message
// then ends at the end of the buffer.
const u_char* builtMessage(const u_char* packet, std::size_t size, std::size_t length) {
    const bool reverse = netsnmp_ds_get_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE) != 0;
    return reverse ? packet + size - length : packet;
}

std::string checkRequest(netsnmp_pdu* pdu) {
    std::size_t size = kPacketRoom;
    std::size_t length = 0;
    auto* packet = static_cast<u_char*>(std::malloc(size));
    const int rc = snmp_build(&packet, &size, &length, &session, pdu);
    const Bytes& expected = getRequest40();
    const bool same = rc == SNMPERR_SUCCESS && length == expected.size() &&
                      std::memcmp(builtMessage(packet, size, length), expected.data(), length) == 0;
    std::free(packet);
    return same ? "" : "the request does not build to the tool's 40 bytes";
}

// Making the PDU, its community and its one variable, allocating the packet
// buffer and building the message into it, then freeing both.
Operation buildAndEncodeRequest() {
    Operation op;
    op.name = "net-snmp/build_and_encode_request_40";
    op.bytes = getRequest40().size();
    op.check = [] {
        netsnmp_pdu* pdu = makeRequest();
        const std::string problem = checkRequest(pdu);
        snmp_free_pdu(pdu);
        return problem;
    };
    op.run = [] {
        netsnmp_pdu* pdu = makeRequest();
        std::size_t size = kPacketRoom;
        std::size_t length = 0;
        auto* packet = static_cast<u_char*>(std::malloc(size));
        benchmark::DoNotOptimize(snmp_build(&packet, &size, &length, &session, pdu));
        benchmark::DoNotOptimize(packet);
        benchmark::ClobberMemory();
        std::free(packet);
        snmp_free_pdu(pdu);
    };
    return op;
}

// Building a PDU made beforehand into a buffer that exists already.
Operation encodeRequest() {
    struct State {
        State() : pdu(makeRequest()), size(kPacketRoom), packet(static_cast<u_char*>(std::malloc(size))) {}
        ~State() {
            std::free(packet);
            snmp_free_pdu(pdu);
        }
        State(const State&) = delete;
        State& operator=(const State&) = delete;
        netsnmp_pdu* pdu;
        std::size_t size;
        u_char* packet;
    };
    auto state = std::make_shared<State>();
    Operation op;
    op.name = "net-snmp/encode_request_40";
    op.bytes = getRequest40().size();
    op.check = [state] { return checkRequest(state->pdu); };
    op.run = [state] {
        std::size_t length = 0;
        benchmark::DoNotOptimize(snmp_build(&state->packet, &state->size, &length, &session, state->pdu));
        benchmark::DoNotOptimize(state->packet);
        benchmark::ClobberMemory();
    };
    return op;
}

std::size_t touchVariables(const netsnmp_pdu* pdu) {
    std::size_t count = 0;
    for (const netsnmp_variable_list* v = pdu->variables; v != nullptr; v = v->next_variable) {
        benchmark::DoNotOptimize(v->name);
        benchmark::DoNotOptimize(v->val.string);
        ++count;
    }
    return count;
}

std::string checkDecode(Bytes& bytes, const Bytes& expectedTypes) {
    const Bytes original = bytes;
    netsnmp_pdu* pdu = SNMP_MALLOC_TYPEDEF(netsnmp_pdu);
    const int rc = snmp_parse(nullptr, &session, pdu, bytes.data(), bytes.size());
    std::string problem;
    if (rc != SNMPERR_SUCCESS) {
        problem = "the reply was refused";
    } else if (pdu->command != SNMP_MSG_RESPONSE || pdu->reqid != kRequestId || pdu->errstat != 0) {
        problem = "the reply's header was misread";
    } else if (touchVariables(pdu) != expectedTypes.size()) {
        problem = "the reply's variables were miscounted";
    } else {
        std::size_t i = 0;
        for (const netsnmp_variable_list* v = pdu->variables; v != nullptr; v = v->next_variable, ++i) {
            if (v->type != expectedTypes[i]) problem = "a value was decoded as the wrong type";
        }
    }
    snmp_free_pdu(pdu);
    if (problem.empty() && bytes != original) problem = "the parser changed the bytes it was given";
    return problem;
}

// Parsing a whole datagram into a PDU with its variables, then freeing it.
Operation decode(const std::string& workload, Bytes bytes, Bytes expectedTypes) {
    // The parser takes its bytes through a pointer to non-const.
    auto data = std::make_shared<Bytes>(std::move(bytes));
    auto types = std::make_shared<const Bytes>(std::move(expectedTypes));
    Operation op;
    op.name = "net-snmp/" + workload;
    op.bytes = data->size();
    op.bindings = types->size();
    op.check = [data, types] { return checkDecode(*data, *types); };
    op.run = [data] {
        netsnmp_pdu* pdu = SNMP_MALLOC_TYPEDEF(netsnmp_pdu);
        benchmark::DoNotOptimize(snmp_parse(nullptr, &session, pdu, data->data(), data->size()));
        benchmark::DoNotOptimize(pdu->reqid);
        benchmark::DoNotOptimize(touchVariables(pdu));
        snmp_free_pdu(pdu);
    };
    return op;
}

Bytes mixedTypes(std::size_t variables) {
    Bytes types;
    for (std::size_t i = 0; i < variables; ++i) types.push_back(tagOf(kindAt(i)));
    return types;
}

// The library reads configuration and state files when it starts. Like
// "snmpget -m ''" it loads no MIB modules; unlike it, it reads no
// configuration either, so that nothing on the machine changes what is
// measured. Its state folder is a temporary one, made beforehand with the
// subfolder the library would otherwise create and announce, and removed
// once the library has started: nothing is kept.
void startLibrary() {
    setenv("MIBS", "", 1);
    char stateDir[] = "/tmp/quillow-bench-XXXXXX";
    const bool haveStateDir = mkdtemp(stateDir) != nullptr;
    const std::string certDir = std::string(stateDir) + "/cert_indexes";
    if (haveStateDir) {
        setenv("SNMP_PERSISTENT_DIR", stateDir, 1);
        mkdir(certDir.c_str(), 0700);
    }
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    init_snmp("quillow-bench");
    if (haveStateDir) {
        rmdir(certDir.c_str());
        rmdir(stateDir);
    }
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    session.community = reinterpret_cast<u_char*>(const_cast<char*>(kCommunity));
    session.community_len = std::strlen(kCommunity);
}

}  // namespace

std::vector<Operation> referenceOperations(std::string& version) {
    startLibrary();
    const bool reverse = netsnmp_ds_get_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE) != 0;
    version = std::string(netsnmp_get_version()) + (reverse ? ", building back to front" : ", building front to back");
    std::vector<Operation> ops{buildAndEncodeRequest(), encodeRequest(),
                               decode("decode_response_41", getResponse41(), {ASN_TIMETICKS})};
    for (const std::size_t n : kBindingCounts) {
        ops.push_back(decode("decode_bindings/" + std::to_string(n), mixedResponse(n), mixedTypes(n)));
    }
    ops.push_back(decode("decode_octet_string/" + std::to_string(kLargeOctetString),
                         octetStringResponse(kLargeOctetString), {ASN_OCTET_STR}));
    return ops;
}

}  // namespace bench
}  // namespace quillow
