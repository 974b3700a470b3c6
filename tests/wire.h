// Builds datagrams byte by byte for tests and seed inputs, independently of
// the library's own encoders, so that what the decoder is given is never
// shaped by the code under test.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace quillow {
namespace wire {

using Bytes = std::vector<std::uint8_t>;

// A definite length field in its shortest form (127 and up in the long form).
inline Bytes lengthField(std::size_t length) {
    if (length <= 126) return {static_cast<std::uint8_t>(length)};
    Bytes digits;
    for (std::size_t rest = length; rest != 0; rest >>= 8) {
        digits.insert(digits.begin(), static_cast<std::uint8_t>(rest & 0xFF));
    }
    Bytes field{static_cast<std::uint8_t>(0x80 + digits.size())};
    field.insert(field.end(), digits.begin(), digits.end());
    return field;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Tag, shortest length field, content.
inline Bytes element(std::uint8_t tag, const Bytes& content) {
    Bytes bytes{tag};
    const Bytes length = lengthField(content.size());
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), content.begin(), content.end());
    return bytes;
}

inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Minimal two's-complement content of a signed number.
inline Bytes signedContent(std::int64_t value) {
    Bytes content;
    for (int shift = 56; shift >= 0; shift -= 8) {
        content.push_back(static_cast<std::uint8_t>((static_cast<std::uint64_t>(value) >> shift) & 0xFF));
    }
    while (content.size() > 1 &&
           ((content[0] == 0x00 && content[1] < 0x80) || (content[0] == 0xFF && content[1] >= 0x80))) {
        content.erase(content.begin());
    }
    return content;
}

// Minimal unsigned content, with a leading 0x00 when the top bit is set, as
// agents send Counter, Gauge, TimeTicks and Counter64 values.
inline Bytes unsignedContent(std::uint64_t value) {
    Bytes content;
    for (int shift = 56; shift >= 0; shift -= 8) content.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    while (content.size() > 1 && content[0] == 0x00) content.erase(content.begin());
    if (content[0] >= 0x80) content.insert(content.begin(), 0x00);
    return content;
}

inline Bytes integer(std::int64_t value) { return element(0x02, signedContent(value)); }
inline Bytes octets(const std::string& s) { return element(0x04, text(s)); }

// OBJECT IDENTIFIER content from arcs (the first two packed into one byte).
inline Bytes oid(std::initializer_list<std::uint32_t> arcs) {
    Bytes content;
    auto arc = arcs.begin();
    const std::uint32_t x = *arc++;
    const std::uint32_t y = *arc++;
    content.push_back(static_cast<std::uint8_t>(40 * x + y));
    for (; arc != arcs.end(); ++arc) {
        Bytes groups;
        std::uint32_t v = *arc;
        groups.insert(groups.begin(), static_cast<std::uint8_t>(v & 0x7F));
        for (v >>= 7; v != 0; v >>= 7) groups.insert(groups.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
        content.insert(content.end(), groups.begin(), groups.end());
    }
    return element(0x06, content);
}

inline Bytes varbind(const Bytes& name, const Bytes& value) { return element(0x30, concat({name, value})); }

// A community message: SEQUENCE of version, community and the PDU.
inline Bytes message(std::int64_t version, const std::string& community, std::uint8_t pduTag, const Bytes& header,
                     const std::vector<Bytes>& bindings) {
    Bytes list;
    for (const Bytes& b : bindings) list.insert(list.end(), b.begin(), b.end());
    const Bytes pdu = element(pduTag, concat({header, element(0x30, list)}));
    return element(0x30, concat({integer(version), octets(community), pdu}));
}

// Request-id, error-status and error-index.
inline Bytes basicHeader(std::int64_t requestId, std::int64_t errorStatus, std::int64_t errorIndex) {
    return concat({integer(requestId), integer(errorStatus), integer(errorIndex)});
}

// Enterprise, agent-addr, generic-trap, specific-trap and time-stamp.
inline Bytes trapHeader(const Bytes& enterprise, const Bytes& address4, std::int64_t generic, std::int64_t specific,
                        std::uint32_t timeStamp) {
    return concat({enterprise, element(0x40, address4), integer(generic), integer(specific),
                   element(0x43, unsignedContent(timeStamp))});
}

}  // namespace wire
}  // namespace quillow
