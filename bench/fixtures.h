// The messages the benchmarks feed to both codecs. They are written by a
// small BER writer of their own, so that what is decoded was not produced by
// the code under measurement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillow {
namespace bench {

using Bytes = std::vector<std::uint8_t>;

// The community of both fixed messages: six bytes, as the tool's request
// carries for a six-letter community.
constexpr const char* kCommunity = "tundra";
constexpr std::int32_t kRequestId = 123;
constexpr const char* kRequestOid = "1.3.6.1.2.1.1.1.0";

// The tool's GetRequest for sysDescr.0 with request-id 123: 40 bytes.
const Bytes& getRequest40();
// A GetResponse carrying sysUpTime.0 = TimeTicks 100: 41 bytes.
const Bytes& getResponse41();

// The kinds of value that the bindings of a mixed reply cycle through.
enum class ValueKind { Integer, OctetString, Oid, IpAddress, Counter, Gauge, TimeTicks, Counter64 };
constexpr std::size_t kValueKinds = 8;

// The kind of the binding at a 0-based position of a mixed reply.
ValueKind kindAt(std::size_t index);
// The tag each kind travels with.
std::uint8_t tagOf(ValueKind kind);

// A GetResponse (request-id 123, community "tundra") whose bindings cycle
// through the kinds above, named 1.3.6.1.2.1.2.2.1.<kind+1>.<position>.
Bytes mixedResponse(std::size_t bindings);

// A GetResponse with one binding, sysDescr.0, whose value is an OCTET STRING
// of the given number of printable bytes.
Bytes octetStringResponse(std::size_t length);

// One value element (tag, length, content) of each text form worth timing.
struct ValueSample {
    const char* name;
    Bytes element;
};
const std::vector<ValueSample>& valueSamples();

}  // namespace bench
}  // namespace quillow
