// Fuzz target over MessageParser: any bytes at all, as any host on the
// network may send them. Beyond "no crash, no read outside the bytes, no
// leak" (the sanitizers' part) it checks what a reader relies on:
//
//  - an accepted message encodes into exactly its encodedSize, and its
//    outer length field agrees with that size;
//  - a message that is whole (it has a version, a PDU, and every header
//    field of its PDU kind) encodes to bytes that parse again to the same
//    version, community, PDU type, header fields and bindings (count, names,
//    type names and texts), and that encode again to the same bytes.
//
// A message with a part missing has no such round trip: the decoder goes by
// the fixed order of the layout, so the element after a missing one is read
// in its place. Such messages are still encoded and parsed again, which must
// be safe.
//
// Built with libFuzzer (QUILLOW_FUZZ) or with replay_main.cpp, which runs it
// over saved inputs.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "message/message.h"
#include "message/parser.h"
#include "tests/describe.h"

namespace {

using quillow::DecodeCursor;
using quillow::MessageParser;
using quillow::SnmpMessage;
using quillow::SnmpPdu;

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "property violated: %s\n%s\n", what, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

std::unique_ptr<SnmpMessage> parse(const std::uint8_t* bytes, std::size_t size) {
    return MessageParser(bytes, static_cast<std::int32_t>(size)).release();
}

// The tags of the PDU's header fields as the PDU itself writes them.
std::vector<std::uint8_t> headerTags(const SnmpPdu& pdu) {
    const std::size_t size = pdu.headerSize();
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    std::uint8_t* cursor = bytes.get();
    pdu.encode(cursor);
    if (static_cast<std::size_t>(cursor - bytes.get()) != size) fail("PDU header size", std::to_string(size));
    std::vector<std::uint8_t> tags;
    DecodeCursor reader(bytes.get(), size);
    while (reader.good() && reader.remaining() > 0) {
        tags.push_back(reader.readByte());
        const std::uint32_t length = quillow::berReadLength(reader);
        reader.take(length);
    }
    if (reader.bad()) fail("PDU header encoding is not a run of elements", std::to_string(size));
    return tags;
}

bool isWhole(const SnmpMessage& message) {
    try {
        message.getVersion();
    } catch (int) {
        return false;
    }
    const SnmpPdu* pdu = message.getPdu();
    if (pdu == nullptr) return false;
    const std::vector<std::uint8_t> basic{0x02, 0x02, 0x02};
    const std::vector<std::uint8_t> trap{0x06, 0x40, 0x02, 0x02, 0x43};
    return headerTags(*pdu) == (pdu->getPduType() == quillow::kTagTrap ? trap : basic);
}

// Encodes into a heap block of exactly encodedSize bytes, so that
// AddressSanitizer sees a write beyond it.
std::vector<std::uint8_t> encode(const SnmpMessage& message) {
    const std::size_t size = message.encodedSize();
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size]);
    std::uint8_t* cursor = exact.get();
    message.encode(cursor);
    if (cursor != exact.get()) fail("encode moved the caller's cursor", quillow::test::describe(message));
    std::vector<std::uint8_t> bytes(exact.get(), exact.get() + size);

    DecodeCursor header(bytes.data(), bytes.size());
    if (header.readByte() != quillow::kTagSequence) fail("outer tag", quillow::test::describe(message));
    const std::uint32_t content = quillow::berReadLength(header);
    if (header.bad() || header.offset() + content != size) {
        fail("outer length does not match encodedSize", quillow::test::describe(message));
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    const std::unique_ptr<SnmpMessage> first = parse(data, size);
    if (first == nullptr) return 0;
    const std::string firstText = quillow::test::describe(*first);

    const std::vector<std::uint8_t> encoded = encode(*first);
    const std::unique_ptr<SnmpMessage> second = parse(encoded.data(), encoded.size());
    if (!isWhole(*first)) return 0;

    if (second == nullptr) fail("a whole message was refused after encoding", firstText);
    const std::string secondText = quillow::test::describe(*second);
    if (secondText != firstText) fail("the encoding parsed to another message", firstText + "---\n" + secondText);
    if (encode(*second) != encoded) fail("the second encoding differs from the first", firstText);
    return 0;
}
