#include "fixtures.h"

#include <initializer_list>

namespace quillow {
namespace bench {

namespace {

void appendLength(Bytes& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    Bytes digits;
    for (std::size_t rest = length; rest != 0; rest >>= 8)
        digits.insert(digits.begin(), static_cast<std::uint8_t>(rest));
    out.push_back(static_cast<std::uint8_t>(0x80 | digits.size()));
    out.insert(out.end(), digits.begin(), digits.end());
}

Bytes element(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    appendLength(out, content.size());
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Two's complement, as few bytes as the value needs.
Bytes signedNumber(std::uint8_t tag, std::int64_t value) {
    Bytes content;
    for (;;) {
        content.insert(content.begin(), static_cast<std::uint8_t>(value & 0xFF));
        const bool negative = (content.front() & 0x80) != 0;
        value >>= 8;
        if ((value == 0 && !negative) || (value == -1 && negative)) break;
    }
    return element(tag, content);
}

// Unsigned, with a leading zero byte where the top bit would read as a sign.
Bytes unsignedNumber(std::uint8_t tag, std::uint64_t value) {
    Bytes content;
    do {
        content.insert(content.begin(), static_cast<std::uint8_t>(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    if ((content.front() & 0x80) != 0) content.insert(content.begin(), 0x00);
    return element(tag, content);
}

Bytes oid(const std::vector<std::uint32_t>& arcs) {
    Bytes content;
    auto put = [&content](std::uint32_t sub) {
        Bytes groups;
        do {
            groups.insert(groups.begin(), static_cast<std::uint8_t>((sub & 0x7F) | (groups.empty() ? 0x00 : 0x80)));
            sub >>= 7;
        } while (sub != 0);
        content.insert(content.end(), groups.begin(), groups.end());
    };
    put(40 * arcs[0] + arcs[1]);
    for (std::size_t i = 2; i < arcs.size(); ++i) put(arcs[i]);
    return element(0x06, content);
}

Bytes text(std::uint8_t tag, const std::string& s) { return element(tag, Bytes(s.begin(), s.end())); }

Bytes response(const std::vector<Bytes>& bindings) {
    Bytes list;
    for (const Bytes& binding : bindings) list.insert(list.end(), binding.begin(), binding.end());
    const Bytes pdu = element(0xA2, concat({signedNumber(0x02, kRequestId), signedNumber(0x02, 0),
                                            signedNumber(0x02, 0), element(0x30, list)}));
    return element(0x30, concat({signedNumber(0x02, 0), text(0x04, kCommunity), pdu}));
}

Bytes binding(const Bytes& name, const Bytes& value) { return element(0x30, concat({name, value})); }

Bytes mixedValue(std::size_t index) {
    const auto i = static_cast<std::uint32_t>(index);
    switch (kindAt(index)) {
        case ValueKind::Integer: return signedNumber(0x02, static_cast<std::int64_t>(i) * 7919 - 100000);
        case ValueKind::OctetString: return text(0x04, "port-" + std::to_string(i) + " uplink");
        case ValueKind::Oid: return oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 1, i + 1});
        case ValueKind::IpAddress:
            return element(0x40, {10, 0, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)});
        case ValueKind::Counter: return unsignedNumber(0x41, 4000000000u - i);
        case ValueKind::Gauge: return unsignedNumber(0x42, 1000000000u + i);
        case ValueKind::TimeTicks: return unsignedNumber(0x43, 123456u + 100u * i);
        case ValueKind::Counter64: return unsignedNumber(0x46, 0x0123456789ABCDEFull + i);
    }
    return {};
}

}  // namespace

const Bytes& getRequest40() {
    static const Bytes bytes{0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 't',  'u',  'n',  'd',  'r',  'a',  0xA0,
                             0x19, 0x02, 0x01, 0x7B, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0E, 0x30, 0x0C,
                             0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00, 0x05, 0x00};
    return bytes;
}

const Bytes& getResponse41() {
    static const Bytes bytes{0x30, 0x27, 0x02, 0x01, 0x00, 0x04, 0x06, 't',  'u',  'n',  'd',  'r',  'a',  0xA2,
                             0x1A, 0x02, 0x01, 0x7B, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0F, 0x30, 0x0D,
                             0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x03, 0x00, 0x43, 0x01, 0x64};
    return bytes;
}

ValueKind kindAt(std::size_t index) { return static_cast<ValueKind>(index % kValueKinds); }

std::uint8_t tagOf(ValueKind kind) {
    switch (kind) {
        case ValueKind::Integer: return 0x02;
        case ValueKind::OctetString: return 0x04;
        case ValueKind::Oid: return 0x06;
        case ValueKind::IpAddress: return 0x40;
        case ValueKind::Counter: return 0x41;
        case ValueKind::Gauge: return 0x42;
        case ValueKind::TimeTicks: return 0x43;
        case ValueKind::Counter64: return 0x46;
    }
    return 0;
}

Bytes mixedResponse(std::size_t bindings) {
    std::vector<Bytes> list;
    for (std::size_t i = 0; i < bindings; ++i) {
        const auto column = static_cast<std::uint32_t>(i % kValueKinds) + 1;
        const auto row = static_cast<std::uint32_t>(i) + 1;
        list.push_back(binding(oid({1, 3, 6, 1, 2, 1, 2, 2, 1, column, row}), mixedValue(i)));
    }
    return response(list);
}

Bytes octetStringResponse(std::size_t length) {
    std::string content;
    for (std::size_t i = 0; i < length; ++i) content += static_cast<char>('a' + i % 26);
    return response({binding(oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), text(0x04, content))});
}

const std::vector<ValueSample>& valueSamples() {
    static const std::vector<ValueSample> samples{
        {"Integer", signedNumber(0x02, -1234567)},
        {"Counter", unsignedNumber(0x41, 4000000000u)},
        {"Gauge", unsignedNumber(0x42, 1000000000u)},
        {"TimeTicks", unsignedNumber(0x43, 8640000u)},
        {"Counter64", unsignedNumber(0x46, 18446744073709551615ull)},
        {"OctetString", text(0x04, "Linux core-switch 6.1.0 #1 SMP x86_64")},
        {"OctetStringHex", element(0x04, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})},
        {"IpAddress", element(0x40, {192, 168, 2, 1})},
        {"Oid", oid({1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6, 1001})},
        {"Opaque", element(0x44, {0x9F, 0x78, 0x04, 0x42, 0xF6, 0x00, 0x00})},
    };
    return samples;
}

}  // namespace bench
}  // namespace quillow
