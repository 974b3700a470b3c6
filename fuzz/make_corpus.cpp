// Writes the seed corpus of the decoder's fuzz target: well-formed datagrams
// of every PDU type (0xA0 to 0xA4, 0xA6, 0xA7) in SNMPv1 and SNMPv2c, with
// bindings of every value tag. The bytes are put together here, apart from
// the library's encoders, so that the seeds do not inherit their faults.
//
//   make_corpus DIR          writes the seeds into DIR
//   make_corpus --check DIR  checks that DIR holds exactly these seeds

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/wire.h"

namespace {

namespace fs = std::filesystem;
namespace w = quillow::wire;
using w::Bytes;

Bytes bytes(std::initializer_list<std::uint8_t> list) { return Bytes(list); }

struct Value {
    const char* tag;
    Bytes name;
    Bytes value;
};

// One value of every tag the decoder knows, and of the tags it turns into
// Opaque (NULL and the SNMPv2 exceptions).
std::vector<Value> everyValue() {
    return {
        {"02-integer", w::oid({1, 3, 6, 1, 2, 1, 1, 7, 0}), w::integer(-129)},
        {"04-string", w::oid({1, 3, 6, 1, 2, 1, 1, 5, 0}), w::octets("core-switch rack 7")},
        {"06-oid", w::oid({1, 3, 6, 1, 2, 1, 1, 2, 0}), w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10})},
        {"40-ipaddress", w::oid({1, 3, 6, 1, 2, 1, 4, 20, 1, 1, 192, 168, 2, 1}),
         w::element(0x40, bytes({0xC0, 0xA8, 0x02, 0x01}))},
        {"41-counter", w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 1}), w::element(0x41, w::unsignedContent(0xFFFFFFFFu))},
        {"42-gauge", w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 5, 1}), w::element(0x42, w::unsignedContent(1000000000))},
        {"43-timeticks", w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), w::element(0x43, w::unsignedContent(0x80000000u))},
        // An opaque-wrapped float, as agents send them.
        {"44-opaque", w::oid({1, 3, 6, 1, 4, 1, 2021, 100, 1}),
         w::element(0x44, bytes({0x9F, 0x78, 0x04, 0x3F, 0x80, 0x00, 0x00}))},
        {"46-counter64", w::oid({1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6, 1}),
         w::element(0x46, w::unsignedContent(0xFFFFFFFFFFFFFFFFull))},
        {"05-null", w::oid({1, 3, 6, 1, 2, 1, 1, 4, 0}), bytes({0x05, 0x00})},
        {"80-nosuchobject", w::oid({1, 3, 6, 1, 2, 1, 99, 1, 0}), bytes({0x80, 0x00})},
        {"81-nosuchinstance", w::oid({1, 3, 6, 1, 2, 1, 1, 9, 1, 2, 9}), bytes({0x81, 0x00})},
        {"82-endofmibview", w::oid({1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0}), bytes({0x82, 0x00})},
    };
}

std::vector<Bytes> everyBinding() {
    std::vector<Bytes> bindings;
    for (const Value& v : everyValue()) bindings.push_back(w::varbind(v.name, v.value));
    return bindings;
}

std::vector<Bytes> requestBindings() {
    const Bytes null = bytes({0x05, 0x00});
    return {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), null),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), null),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 1}), null)};
}

// An SNMPv2 notification starts with sysUpTime.0 and snmpTrapOID.0.
std::vector<Bytes> notificationBindings() {
    std::vector<Bytes> bindings = {
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), w::element(0x43, w::unsignedContent(4200))),
        w::varbind(w::oid({1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0}), w::oid({1, 3, 6, 1, 6, 3, 1, 1, 5, 4})),
    };
    for (const Bytes& b : everyBinding()) bindings.push_back(b);
    return bindings;
}

std::map<std::string, Bytes> seeds() {
    std::map<std::string, Bytes> all;
    const char* versions[] = {"v1", "v2c"};
    for (std::int64_t version = 0; version <= 1; ++version) {
        const std::string v = versions[version];
        const Bytes header = w::basicHeader(0x1234 + version, 0, 0);
        all[v + "-get-request.bin"] = w::message(version, "harbour", 0xA0, header, requestBindings());
        all[v + "-get-next-request.bin"] = w::message(version, "harbour", 0xA1, header, requestBindings());
        all[v + "-get-response.bin"] = w::message(version, "harbour", 0xA2, header, everyBinding());
        all[v + "-set-request.bin"] = w::message(version, "private", 0xA3, header, everyBinding());
        all[v + "-trap.bin"] = w::message(
            version, "harbour", 0xA4,
            w::trapHeader(w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10}), bytes({0xC0, 0xA8, 0x02, 0x01}), 6, 17, 4200),
            everyBinding());
        all[v + "-inform-request.bin"] = w::message(version, "harbour", 0xA6, header, notificationBindings());
        all[v + "-trap-v2.bin"] = w::message(version, "harbour", 0xA7, header, notificationBindings());
    }
    for (const Value& value : everyValue()) {
        all[std::string("v2c-value-") + value.tag + ".bin"] =
            w::message(1, "harbour", 0xA2, w::basicHeader(123, 0, 0), {w::varbind(value.name, value.value)});
    }
    all["v1-get-response-no-such-name.bin"] =
        w::message(0, "harbour", 0xA2, w::basicHeader(123, 2, 1),
                   {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 99, 0}), bytes({0x05, 0x00}))});
    all["v1-get-response-empty-list.bin"] = w::message(0, "harbour", 0xA2, w::basicHeader(123, 0, 0), {});
    all["v2c-get-response-long-lengths.bin"] =
        w::message(1, "harbour", 0xA2, w::basicHeader(-2147483647 - 1, 0, 0),
                   {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), w::element(0x04, Bytes(300, 'q'))),
                    w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 6, 1}),
                               w::element(0x04, bytes({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})))});
    all["v1-trap-link-up.bin"] =
        w::message(0, "harbour", 0xA4,
                   w::trapHeader(w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10}), bytes({0x0A, 0x00, 0x00, 0x01}), 3, 0, 99),
                   {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 1, 2}), w::integer(2))});
    return all;
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int check(const fs::path& dir) {
    const std::map<std::string, Bytes> expected = seeds();
    int problems = 0;
    std::set<std::string> present;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        present.insert(name);
        const auto seed = expected.find(name);
        if (seed == expected.end()) {
            std::fprintf(stderr, "%s: not a seed this program writes\n", name.c_str());
            ++problems;
        } else if (readFile(entry.path()) != seed->second) {
            std::fprintf(stderr, "%s: differs from the seed this program writes\n", name.c_str());
            ++problems;
        }
    }
    for (const auto& seed : expected) {
        if (present.count(seed.first) == 0) {
            std::fprintf(stderr, "%s: missing\n", seed.first.c_str());
            ++problems;
        }
    }
    std::printf("%lu seeds checked, %d problems\n", static_cast<unsigned long>(expected.size()), problems);
    return problems == 0 ? 0 : 1;
}

int write(const fs::path& dir) {
    fs::create_directories(dir);
    for (const auto& seed : seeds()) {
        std::ofstream out(dir / seed.first, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seed.second.data()), static_cast<std::streamsize>(seed.second.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (dir / seed.first).string().c_str());
            return 1;
        }
    }
    std::printf("%lu seeds written to %s\n", static_cast<unsigned long>(seeds().size()), dir.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return check(argv[2]);
    if (argc == 2) return write(argv[1]);
    std::fprintf(stderr, "usage: %s DIR | --check DIR\n", argv[0]);
    return 2;
}
