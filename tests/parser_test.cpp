#include "message/parser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "describe.h"
#include "message/message.h"
#include "pdu/pdu.h"
#include "pdu/trap.h"
#include "test_bytes.h"
#include "values/numbers.h"
#include "values/oid.h"
#include "values/strings.h"
#include "wire.h"

namespace quillow {
namespace {

using test::Bytes;
using test::describe;
using test::hex;
using test::toHex;
namespace w = wire;

// Parses a copy of the bytes held in a heap block of exactly their size, so
// that AddressSanitizer reports a read of even one byte beyond them.
std::unique_ptr<SnmpMessage> parse(const Bytes& bytes, std::size_t count) {
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[count]);
    if (count > 0) std::memcpy(exact.get(), bytes.data(), count);
    MessageParser parser(exact.get(), static_cast<std::int32_t>(count));
    return parser.release();
}

std::unique_ptr<SnmpMessage> parse(const Bytes& bytes) { return parse(bytes, bytes.size()); }

Bytes encode(const SnmpMessage& message) {
    Bytes bytes(message.encodedSize() + 1, 0xEE);
    std::uint8_t* cursor = bytes.data();
    message.encode(cursor);
    EXPECT_EQ(bytes.back(), 0xEE) << "the message wrote past its encodedSize";
    bytes.pop_back();
    return bytes;
}

// The GetResponse an agent sends for sysUpTime.0 = 100 under request-id 123.
const char* const kGetResponse =
    "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
    "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64";

const std::string kGetResponseText =
    "version 0\n"
    "community \"fjords\"\n"
    "pdu A2 request-id 123 error-status 0 error-index 0\n"
    "generic 0 specific 0 time-stamp 0\n"
    "agent null\n"
    "enterprise null\n"
    "binding 1 \"OID\" \"1.3.6.1.2.1.1.3.0\" = \"TimeTick\" \"100\"\n";

// The datagram decodes to the 41-byte GetResponse's message, or (when it is
// not to be accepted) to none.
void expectGetResponseOrNone(const Bytes& datagram, bool accepted, const char* why) {
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    if (!accepted) {
        EXPECT_EQ(message, nullptr) << why;
        return;
    }
    ASSERT_NE(message, nullptr) << why;
    EXPECT_EQ(describe(*message), kGetResponseText) << why;
}

// A v2c GetResponse with twelve bindings, long-form lengths on the message,
// the PDU, the list and one value, and a last value of two bytes.
Bytes largeResponse() {
    const w::Bytes longText(200, 'q');
    return w::message(
        1, "harbour", 0xA2, w::basicHeader(70000, 0, 0),
        {
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), w::element(0x04, longText)),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 2, 0}), w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10})),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), w::element(0x43, w::unsignedContent(0x80000000u))),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 7, 0}), w::integer(-129)),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 4, 20, 1, 1}), w::element(0x40, hex("C0 A8 02 01"))),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 1}), w::element(0x41, hex("00 FF FF FF FF"))),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 5, 1}), w::element(0x42, hex("00 FF"))),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6, 1}),
                       w::element(0x46, hex("00 FF FF FF FF FF FF FF FF"))),
            w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 1}), w::element(0x44, hex("61 01 62"))),
            w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 2}), w::element(0x02, {})),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 6, 1}), w::element(0x04, hex("80 01"))),
            w::varbind(w::oid({1, 3, 6, 1, 2, 1, 99, 0}), hex("80 00")),
        });
}

std::string largeResponseText() {
    return "version 1\n"
           "community \"harbour\"\n"
           "pdu A2 request-id 70000 error-status 0 error-index 0\n"
           "generic 0 specific 0 time-stamp 0\n"
           "agent null\n"
           "enterprise null\n"
           "binding 1 \"OID\" \"1.3.6.1.2.1.1.1.0\" = \"String\" \"" +
           std::string(200, 'q') +
           "\"\n"
           "binding 2 \"OID\" \"1.3.6.1.2.1.1.2.0\" = \"OID\" \"1.3.6.1.4.1.8072.3.2.10\"\n"
           "binding 3 \"OID\" \"1.3.6.1.2.1.1.3.0\" = \"TimeTick\" \"2147483648\"\n"
           "binding 4 \"OID\" \"1.3.6.1.2.1.1.7.0\" = \"Integer\" \"-129\"\n"
           "binding 5 \"OID\" \"1.3.6.1.2.1.4.20.1.1\" = \"IpAddress\" \"192.168.2.1\"\n"
           "binding 6 \"OID\" \"1.3.6.1.2.1.2.2.1.10.1\" = \"Counter\" \"4294967295\"\n"
           "binding 7 \"OID\" \"1.3.6.1.2.1.2.2.1.5.1\" = \"Gauge\" \"255\"\n"
           "binding 8 \"OID\" \"1.3.6.1.2.1.31.1.1.1.6.1\" = \"Counter64\" \"18446744073709551615\"\n"
           "binding 9 \"OID\" \"1.3.6.1.4.1.2021.1\" = \"Opaque\" \"a b\"\n"
           "binding 10 \"OID\" \"1.3.6.1.4.1.2021.2\" = \"Integer\" \"0\"\n"
           "binding 11 \"OID\" \"1.3.6.1.2.1.2.2.1.6.1\" = \"String\" \"8001\"\n"
           "binding 12 \"OID\" \"1.3.6.1.2.1.99.0\" = \"Opaque\" \"\"\n";
}

TEST(MessageParser, DecodesTheGetResponseFieldByField) {
    const Bytes datagram = hex(kGetResponse);
    ASSERT_EQ(datagram.size(), 41u);
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);

    EXPECT_EQ(message->getVersion(), 0);
    EXPECT_STREQ(message->getCommunity(), "fjords");
    ASSERT_NE(dynamic_cast<GetResponsePdu*>(message->getPdu()), nullptr);
    EXPECT_EQ(message->getPduType(), 0xA2);
    // Only the PDU object carries the tag; the decoder records none.
    EXPECT_EQ(message->getRecordedPduType(), 0u);
    EXPECT_EQ(message->getRequestId(), 123);
    EXPECT_EQ(message->getErrorStatus(), 0);
    EXPECT_EQ(message->getErrorIndex(), 0);

    ASSERT_EQ(message->getVarbindCount(), 1);
    const Varbind* binding = message->getVarbinds()->at(1);
    ASSERT_NE(dynamic_cast<SnmpOid*>(binding->getName()), nullptr);
    EXPECT_STREQ(message->getOidText(1), "1.3.6.1.2.1.1.3.0");
    const auto* ticks = dynamic_cast<SnmpTimeTicks*>(binding->getValue());
    ASSERT_NE(ticks, nullptr);
    EXPECT_EQ(ticks->getValue(), 100);
    EXPECT_STREQ(message->getValueTypeName(1), "TimeTick");
    EXPECT_STREQ(message->getValueText(1), "100");
    EXPECT_STREQ(message->getValueText(2), "NULL");

    // The message holds copies: the bytes may go away at once.
    EXPECT_EQ(toHex(encode(*message)), toHex(datagram));
}

TEST(MessageParser, DecodesALargeResponseWithEveryValueTypeAndLongLengths) {
    const Bytes datagram = largeResponse();
    ASSERT_GT(datagram.size(), 400u);
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(describe(*message), largeResponseText());
}

// A list whose length field takes three bytes and whose last value takes two:
// the end of the list must be counted from after its length field, or the
// last binding's value lies beyond the end and the binding is dropped.
TEST(MessageParser, KeepsTheLastBindingOfALongListEndingInATwoByteValue) {
    std::vector<Bytes> bindings;
    for (std::uint32_t i = 1; i <= 20; ++i) {
        bindings.push_back(w::varbind(w::oid({1, 3, 6, 1, 4, 1, 99, i}), w::integer(i)));
    }
    bindings.push_back(w::varbind(w::oid({1, 3, 6, 1, 4, 1, 99, 21}), hex("04 00")));
    const Bytes datagram = w::message(1, "harbour", 0xA2, w::basicHeader(1, 0, 0), bindings);
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(message->getVarbindCount(), 21);
    EXPECT_STREQ(message->getOidText(21), "1.3.6.1.4.1.99.21");
    EXPECT_STREQ(message->getValueTypeName(21), "String");
    EXPECT_STREQ(message->getValueText(21), "");
}

// Where the outer length field sits and how many bytes it takes.
std::size_t outerHeaderSize(const Bytes& datagram) { return datagram[1] < 0x80 ? 2 : 2 + (datagram[1] & 0x7Fu); }

// The prefix with its outer length set to the bytes that follow the header,
// keeping the length field's form; prefixes that cut the header stay as they
// are.
Bytes withAdjustedOuterLength(Bytes prefix, std::size_t headerSize) {
    if (prefix.size() < headerSize) return prefix;
    std::size_t rest = prefix.size() - headerSize;
    if (headerSize == 2) {
        prefix[1] = static_cast<std::uint8_t>(rest > 126 ? 126 : rest);
        return prefix;
    }
    for (std::size_t i = headerSize - 1; i >= 2; --i) {
        prefix[i] = static_cast<std::uint8_t>(rest & 0xFF);
        rest >>= 8;
    }
    return prefix;
}

TEST(MessageParser, RefusesEveryPrefixWhateverItsOuterLength) {
    struct Case {
        const char* name;
        Bytes datagram;
        std::string text;
    };
    const Case cases[] = {
        {"41-byte response", hex(kGetResponse), kGetResponseText},
        {"large response", largeResponse(), largeResponseText()},
    };
    for (const Case& c : cases) {
        const std::size_t headerSize = outerHeaderSize(c.datagram);
        for (std::size_t n = 0; n < c.datagram.size(); ++n) {
            const Bytes prefix(c.datagram.begin(), c.datagram.begin() + static_cast<long>(n));
            EXPECT_EQ(parse(prefix), nullptr) << c.name << ", first " << n << " bytes, outer length as it was";
            EXPECT_EQ(parse(withAdjustedOuterLength(prefix, headerSize)), nullptr)
                << c.name << ", first " << n << " bytes, outer length adjusted";
        }
        const std::unique_ptr<SnmpMessage> whole = parse(c.datagram);
        ASSERT_NE(whole, nullptr) << c.name;
        EXPECT_EQ(describe(*whole), c.text) << c.name;
    }
}

TEST(MessageParser, ComparesTheOuterLengthWithTheWholeDatagramOnly) {
    struct Case {
        std::uint8_t outerLength;
        bool accepted;
        const char* why;
    };
    // The datagram is 41 bytes; its content 39.
    const Case cases[] = {
        {0x27, true, "the true length"},
        {0x10, true, "smaller than the message: decoding goes by the layout"},
        {0x00, true, "zero"},
        {0x28, true, "one beyond the content is still within the 41 bytes"},
        {0x29, true, "the size of the whole datagram"},
        {0x2A, false, "one greater than the datagram"},
        {0x7E, false, "far greater than the datagram"},
    };
    for (const Case& c : cases) {
        Bytes datagram = hex(kGetResponse);
        datagram[1] = c.outerLength;
        expectGetResponseOrNone(datagram, c.accepted, c.why);
    }
}

TEST(MessageParser, ReadsTheOuterLengthInEitherForm) {
    struct Case {
        const char* header;
        bool accepted;
    };
    const Case cases[] = {
        {"30 81 27", true},
        {"30 84 00 00 00 27", true},
        {"30 85 FF 00 00 00 27", true},  // only the last four length bytes count
        {"30 84 FF FF FF FF", false},
        {"30 80", false},  // the indefinite form has no place in a message
    };
    const Bytes response = hex(kGetResponse);
    for (const Case& c : cases) {
        Bytes datagram = hex(c.header);
        datagram.insert(datagram.end(), response.begin() + 2, response.end());
        expectGetResponseOrNone(datagram, c.accepted, c.header);
    }
}

TEST(MessageParser, DoesNotExamineTheFirstByte) {
    for (const std::uint8_t first : {std::uint8_t{0x31}, std::uint8_t{0x00}, std::uint8_t{0xA2}, std::uint8_t{0xFF}}) {
        Bytes datagram = hex(kGetResponse);
        datagram[0] = first;
        const std::unique_ptr<SnmpMessage> message = parse(datagram);
        ASSERT_NE(message, nullptr) << static_cast<int>(first);
        EXPECT_EQ(describe(*message), kGetResponseText) << static_cast<int>(first);
    }
}

TEST(MessageParser, AcceptsVersionOne) {
    Bytes datagram = hex(kGetResponse);
    datagram[4] = 0x01;
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->getVersion(), 1);
    EXPECT_EQ(message->getRequestId(), 123);
}

TEST(MessageParser, LeavesTheVersionOutWhenItsTagIsNotInteger) {
    // Only the tag is consumed; the community follows directly.
    const Bytes datagram =
        hex("30 25 0A 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
            "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64");
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    EXPECT_THROW(message->getVersion(), int);
    EXPECT_STREQ(message->getCommunity(), "fjords");
    EXPECT_EQ(message->getRequestId(), 123);
    EXPECT_STREQ(message->getValueText(1), "100");
}

TEST(MessageParser, MakesThePduClassThatTheTagNames) {
    struct Case {
        std::uint8_t tag;
        bool (*isClass)(const SnmpPdu*);
    };
    const Case cases[] = {
        {0xA0, [](const SnmpPdu* p) { return dynamic_cast<const GetRequestPdu*>(p) != nullptr; }},
        {0xA1, [](const SnmpPdu* p) { return dynamic_cast<const GetNextRequestPdu*>(p) != nullptr; }},
        {0xA2, [](const SnmpPdu* p) { return dynamic_cast<const GetResponsePdu*>(p) != nullptr; }},
        {0xA3, [](const SnmpPdu* p) { return dynamic_cast<const SetRequestPdu*>(p) != nullptr; }},
        {0xA6, [](const SnmpPdu* p) { return dynamic_cast<const InformRequestPdu*>(p) != nullptr; }},
        {0xA7, [](const SnmpPdu* p) { return dynamic_cast<const TrapV2Pdu*>(p) != nullptr; }},
    };
    for (const Case& c : cases) {
        Bytes datagram = hex(kGetResponse);
        datagram[13] = c.tag;
        const std::unique_ptr<SnmpMessage> message = parse(datagram);
        ASSERT_NE(message, nullptr) << static_cast<int>(c.tag);
        EXPECT_TRUE(c.isClass(message->getPdu())) << static_cast<int>(c.tag);
        EXPECT_EQ(message->getPduType(), c.tag);
        EXPECT_EQ(message->getRequestId(), 123) << static_cast<int>(c.tag);
        EXPECT_STREQ(message->getValueText(1), "100") << static_cast<int>(c.tag);
    }
}

TEST(MessageParser, DecodesTheFiveFieldsOfAVersionOneTrap) {
    const Bytes datagram = w::message(
        0, "harbour", 0xA4, w::trapHeader(w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10}), hex("C0 A8 02 01"), 6, 17, 4200),
        {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 1, 3}), w::integer(3))});
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    ASSERT_NE(dynamic_cast<TrapPdu*>(message->getPdu()), nullptr);
    EXPECT_EQ(message->getPduType(), 0xA4);
    EXPECT_STREQ(message->getEnterprise(), "1.3.6.1.4.1.8072.3.2.10");
    EXPECT_STREQ(message->getAgentAddress(), "192.168.2.1");
    EXPECT_EQ(message->getGenericTrap(), 6);
    EXPECT_EQ(message->getSpecificTrap(), 17);
    EXPECT_EQ(message->getTimeStamp(), 4200u);
    EXPECT_EQ(message->getRequestId(), 0);
    ASSERT_EQ(message->getVarbindCount(), 1);
    EXPECT_STREQ(message->getValueText(1), "3");
    EXPECT_EQ(toHex(encode(*message)), toHex(datagram));
}

// GetBulk has no PDU class. The bytes after its length field are read as the
// list: the request-id's tag is skipped, its length (1) taken as the list's,
// and the one element that starts inside that list (tag 01 after the skipped
// 7B and the length 02) is a name without a value, which is dropped.
TEST(MessageParser, ReadsAGetBulkAsAMessageWithoutPdu) {
    Bytes datagram = hex(kGetResponse);
    datagram[13] = 0xA5;
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->getPdu(), nullptr);
    EXPECT_EQ(message->getPduType(), 0xFF);
    EXPECT_EQ(message->getRequestId(), 0);
    EXPECT_EQ(message->getErrorStatus(), 0);
    EXPECT_EQ(message->getVersion(), 0);
    EXPECT_STREQ(message->getCommunity(), "fjords");
    EXPECT_EQ(message->getVarbindCount(), 0);
}

TEST(MessageParser, TurnsEveryValueTagWithoutClassIntoOpaque) {
    struct Case {
        const char* value;
        const char* text;
        const char* encodedAgain;
    };
    const Case cases[] = {
        {"05 00", "", "44 00"},  // NULL
        {"80 00", "", "44 00"},  // noSuchObject
        {"81 00", "", "44 00"},  // noSuchInstance
        {"82 00", "", "44 00"},  // endOfMibView
        {"44 03 61 01 62", "a b", "44 03 61 01 62"},
        {"47 02 41 42", "AB", "44 02 41 42"},
        {"30 02 05 00", "  ", "44 02 05 00"},  // a constructed tag is not taken apart
    };
    for (const Case& c : cases) {
        const Bytes datagram = w::message(1, "harbour", 0xA2, w::basicHeader(5, 0, 0),
                                          {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), hex(c.value))});
        const std::unique_ptr<SnmpMessage> message = parse(datagram);
        ASSERT_NE(message, nullptr) << c.value;
        ASSERT_EQ(message->getVarbindCount(), 1) << c.value;
        const SnmpValue* value = message->getVarbinds()->at(1)->getValue();
        ASSERT_NE(dynamic_cast<const SnmpOpaque*>(value), nullptr) << c.value;
        EXPECT_STREQ(message->getValueTypeName(1), "Opaque") << c.value;
        EXPECT_STREQ(message->getValueText(1), c.text) << c.value;
        EXPECT_EQ(toHex(test::encodeExactly(*value)), toHex(hex(c.encodedAgain))) << c.value;
    }
}

TEST(MessageParser, MakesEveryValueOfTheElementTable) {
    struct Case {
        const char* value;
        const char* typeName;
        const char* text;
    };
    const Case cases[] = {
        {"02 02 FF 7F", "Integer", "-129"},
        {"02 05 00 80 00 00 00", "Integer", "-2147483648"},
        {"04 03 61 62 63", "String", "abc"},
        {"04 02 61 01", "String", "6101"},
        {"06 07 2B 06 01 04 01 82 37", "OID", "1.3.6.1.4.1.311"},
        {"06 02 2B 86", "OID", "1.3"},  // an unfinished last arc is not shown
        {"40 04 0A 00 00 01", "IpAddress", "10.0.0.1"},
        {"40 00", "IpAddress", ""},
        {"41 05 00 FF FF FF FF", "Counter", "4294967295"},
        {"42 01 FF", "Gauge", "255"},
        {"43 00", "TimeTick", "0"},
        {"46 05 01 00 00 00 05", "Counter64", "4294967301"},
        {"46 09 00 FF FF FF FF FF FF FF FF", "Counter64", "18446744073709551615"},
    };
    for (const Case& c : cases) {
        const Bytes datagram = w::message(1, "harbour", 0xA2, w::basicHeader(5, 0, 0),
                                          {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), hex(c.value))});
        const std::unique_ptr<SnmpMessage> message = parse(datagram);
        ASSERT_NE(message, nullptr) << c.value;
        ASSERT_EQ(message->getVarbindCount(), 1) << c.value;
        EXPECT_STREQ(message->getValueTypeName(1), c.typeName) << c.value;
        EXPECT_STREQ(message->getValueText(1), c.text) << c.value;
    }
}

TEST(MessageParser, TakesANameOfAnyTagByTheElementTable) {
    struct Case {
        const char* name;
        const char* typeName;
        const char* text;
    };
    const Case cases[] = {
        {"02 01 05", "Integer", "5"},
        {"04 03 61 62 63", "String", "abc"},
        {"40 04 7F 00 00 01", "IpAddress", "127.0.0.1"},
        {"05 00", "Opaque", ""},
    };
    for (const Case& c : cases) {
        const Bytes datagram =
            w::message(1, "harbour", 0xA2, w::basicHeader(5, 0, 0), {w::varbind(hex(c.name), w::integer(42))});
        const std::unique_ptr<SnmpMessage> message = parse(datagram);
        ASSERT_NE(message, nullptr) << c.name;
        ASSERT_EQ(message->getVarbindCount(), 1) << c.name;
        EXPECT_STREQ(message->getVarbinds()->at(1)->getName()->getTypeName(), c.typeName) << c.name;
        EXPECT_STREQ(message->getOidText(1), c.text) << c.name;
        EXPECT_STREQ(message->getValueText(1), "42") << c.name;
    }
}

TEST(MessageParser, AcceptsAnEmptyList) {
    const Bytes datagram = w::message(0, "fjords", 0xA2, w::basicHeader(123, 0, 0), {});
    EXPECT_EQ(toHex(datagram),
              toHex(hex("30 18 02 01 00 04 06 66 6A 6F 72 64 73 A2 0B 02 01 7B 02 01 00 02 01 00 30 00")));
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->getVarbindCount(), 0);
    EXPECT_EQ(message->getRequestId(), 123);
    EXPECT_STREQ(message->getOidText(1), "NULL");
}

TEST(MessageParser, AddsThreeBindingsInTheirOrder) {
    const Bytes datagram = w::message(0, "fjords", 0xA2, w::basicHeader(123, 0, 0),
                                      {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 5, 0}), w::octets("core-switch")),
                                       w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), w::element(0x43, hex("64"))),
                                       w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 7, 0}), w::integer(72))});
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(message->getVarbindCount(), 3);
    EXPECT_STREQ(message->getOidText(1), "1.3.6.1.2.1.1.5.0");
    EXPECT_STREQ(message->getValueText(1), "core-switch");
    EXPECT_STREQ(message->getOidText(2), "1.3.6.1.2.1.1.3.0");
    EXPECT_STREQ(message->getValueText(2), "100");
    EXPECT_STREQ(message->getOidText(3), "1.3.6.1.2.1.1.7.0");
    EXPECT_STREQ(message->getValueText(3), "72");
    EXPECT_STREQ(message->getValueText(4), "NULL");
    EXPECT_STREQ(message->getValueText(0), "NULL");
}

// The first binding's SEQUENCE holds a NULL as a third element. Names and
// values alternate strictly: the NULL's tag is skipped as if it were a
// binding's tag and its length byte read as the binding's length, so the
// second binding's SEQUENCE becomes a name and the third's its value.
TEST(MessageParser, PairsElementsByStrictAlternationNotByBindingLengths) {
    const Bytes second = w::varbind(w::oid({1, 3, 6, 1, 2}), w::integer(2));
    const Bytes third = w::varbind(w::oid({1, 3, 6, 1, 3}), w::octets("c"));
    const Bytes first = w::element(0x30, w::concat({w::oid({1, 3, 6, 1, 1}), w::integer(1), hex("05 00")}));
    const Bytes datagram = w::message(0, "fjords", 0xA2, w::basicHeader(123, 0, 0), {first, second, third});
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(message->getVarbindCount(), 2);
    EXPECT_STREQ(message->getOidText(1), "1.3.6.1.1");
    EXPECT_STREQ(message->getValueText(1), "1");
    const Varbind* shifted = message->getVarbinds()->at(2);
    EXPECT_STREQ(shifted->getName()->getTypeName(), "Opaque");
    EXPECT_EQ(shifted->getName()->getContentLength(), second.size() - 2);
    EXPECT_STREQ(message->getValueTypeName(2), "Opaque");
    EXPECT_EQ(shifted->getValue()->getContentLength(), third.size() - 2);
}

TEST(MessageParser, DropsATrailingNameWithoutValue) {
    const Bytes lone = w::element(0x30, w::oid({1, 3, 6, 1, 9}));
    const Bytes datagram = w::message(0, "fjords", 0xA2, w::basicHeader(123, 0, 0),
                                      {w::varbind(w::oid({1, 3, 6, 1, 1}), w::integer(1)), lone});
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(message->getVarbindCount(), 1);
    EXPECT_STREQ(message->getOidText(1), "1.3.6.1.1");
}

TEST(MessageParser, StopsAtTheEndThatTheListLengthGives) {
    // Three bindings stand in the PDU, but the list's length covers only the
    // first; the rest is not read.
    const Bytes b1 = w::varbind(w::oid({1, 3, 6, 1, 1}), w::integer(1));
    const Bytes b2 = w::varbind(w::oid({1, 3, 6, 1, 2}), w::integer(2));
    const Bytes b3 = w::varbind(w::oid({1, 3, 6, 1, 3}), w::integer(3));
    const Bytes list = w::concat({{0x30, static_cast<std::uint8_t>(b1.size())}, b1, b2, b3});
    const Bytes pdu = w::element(0xA2, w::concat({w::basicHeader(123, 0, 0), list}));
    const Bytes datagram = w::element(0x30, w::concat({w::integer(0), w::octets("fjords"), pdu}));
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(message->getVarbindCount(), 1);
    EXPECT_STREQ(message->getValueText(1), "1");
}

TEST(MessageParser, RefusesACommunityThatPromisesMoreBytesThanFollow) {
    for (const char* datagram :
         {"30 06 02 01 00 04 7F 61", "30 07 02 01 00 04 81 7F 61", "30 0A 02 01 00 04 84 7F FF FF FF 61"}) {
        EXPECT_EQ(parse(hex(datagram)), nullptr) << datagram;
    }
}

// Lengths that the layout reads and does not use (the PDU's and each
// binding's) may lie; the decoding follows the layout regardless.
TEST(MessageParser, IgnoresWhatThePduAndBindingLengthsClaim) {
    const char* cases[] = {
        "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 7F 02 01 7B 02 01 00 02 01 00 "
        "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64",
        "30 2A 02 01 00 04 06 66 6A 6F 72 64 73 A2 84 FF FF FF FF 02 01 7B 02 01 00 02 01 00 "
        "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64",
        "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
        "30 0F 30 00 06 08 2B 06 01 02 01 01 03 00 43 01 64",
        "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
        "30 0F 30 7F 06 08 2B 06 01 02 01 01 03 00 43 01 64",
    };
    for (const char* datagram : cases) {
        const std::unique_ptr<SnmpMessage> message = parse(hex(datagram));
        ASSERT_NE(message, nullptr) << datagram;
        EXPECT_EQ(message->getRequestId(), 123) << datagram;
        EXPECT_STREQ(message->getOidText(1), "1.3.6.1.2.1.1.3.0") << datagram;
        EXPECT_STREQ(message->getValueText(1), "100") << datagram;
    }
}

// Every length that would take a read past the received bytes, and every
// malformed length field, refuses the datagram.
TEST(MessageParser, RefusesHostileInnerLengths) {
    struct Case {
        const char* why;
        const char* datagram;
    };
    const Case cases[] = {
        {"version longer than the datagram",
         "30 27 02 7F 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"version length of four 0xFF bytes",
         "30 2A 02 84 FF FF FF FF 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"version length field cut off", "30 03 02 82 01"},
        {"indefinite version length",
         "30 27 02 80 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"indefinite PDU length",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 80 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"request-id longer than the datagram",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 7F 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"error-index cut off", "30 16 02 01 00 04 06 66 6A 6F 72 64 73 A2 0B 02 01 7B 02 01 00 02 02 00"},
        {"list longer than the datagram",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 10 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"list length of four 0xFF bytes",
         "30 2A 02 01 00 04 06 66 6A 6F 72 64 73 A2 1D 02 01 7B 02 01 00 02 01 00 "
         "30 84 FF FF FF FF 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"indefinite list length",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 80 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"indefinite binding length",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 80 06 08 2B 06 01 02 01 01 03 00 43 01 64"},
        {"name longer than the datagram",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 7F 2B 06 01 02 01 01 03 00 43 01 64"},
        {"value one byte longer than the datagram",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 02 64"},
        {"value length of 65535",
         "30 29 02 01 00 04 06 66 6A 6F 72 64 73 A2 1C 02 01 7B 02 01 00 02 01 00 "
         "30 11 30 0F 06 08 2B 06 01 02 01 01 03 00 04 82 FF FF 64"},
        {"value length field cut off",
         "30 25 02 01 00 04 06 66 6A 6F 72 64 73 A2 18 02 01 7B 02 01 00 02 01 00 "
         "30 0D 30 0B 06 08 2B 06 01 02 01 01 03 00 04 83"},
        {"Counter64 longer than the datagram",
         "30 27 02 01 00 04 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
         "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 46 09 64"},
        {"trap enterprise longer than the datagram",
         "30 15 02 01 00 04 06 66 6A 6F 72 64 73 A4 0A 06 20 2B 06 01 04 01 30 00"},
        {"trap agent address cut off", "30 18 02 01 00 04 06 66 6A 6F 72 64 73 A4 0D 06 03 2B 06 01 40 04 C0 A8 02"},
        {"version tag of several bytes running to the end", "30 04 9F 81 82 83"},
        {"message that ends after the PDU header",
         "30 16 02 01 00 04 06 66 6A 6F 72 64 73 A2 09 02 01 7B 02 01 00 02 01 00"},
        {"message that ends after the community", "30 0B 02 01 00 04 06 66 6A 6F 72 64 73"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse(hex(c.datagram)), nullptr) << c.why;
    }
}

// With more than four length bytes only the last four count, so a leading
// 0x00 or any leading byte does no harm.
TEST(MessageParser, ReadsLongLengthFieldsByTheirLastFourBytes) {
    const Bytes datagram =
        hex("30 2C 02 01 00 04 86 FF 00 00 00 00 06 66 6A 6F 72 64 73 A2 1A 02 01 7B 02 01 00 02 01 00 "
            "30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64");
    const std::unique_ptr<SnmpMessage> message = parse(datagram);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(describe(*message), kGetResponseText);
}

// An element longer than the 16-bit content length can carry could only be
// kept cut, and its remaining bytes would then be read as further elements:
// the datagram is refused even when its bytes are all there.
TEST(MessageParser, RefusesAnElementLongerThanAValueCanHold) {
    const Bytes datagram = w::message(1, "harbour", 0xA2, w::basicHeader(1, 0, 0),
                                      {w::varbind(w::oid({1, 3, 6, 1, 1}), w::element(0x04, Bytes(0x10003, 'a')))});
    EXPECT_EQ(parse(datagram), nullptr);
    const Bytes justFits = w::message(1, "harbour", 0xA2, w::basicHeader(1, 0, 0),
                                      {w::varbind(w::oid({1, 3, 6, 1, 1}), w::element(0x04, Bytes(0xFFFF, 'a')))});
    const std::unique_ptr<SnmpMessage> message = parse(justFits);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(std::strlen(message->getValueText(1)), 0xFFFFu);
}

TEST(MessageParser, RefusesNoBytesAndNegativeCounts) {
    const Bytes datagram = hex(kGetResponse);
    EXPECT_EQ(MessageParser(nullptr, 41).release(), nullptr);
    EXPECT_EQ(MessageParser(datagram.data(), 0).release(), nullptr);
    EXPECT_EQ(MessageParser(datagram.data(), -41).release(), nullptr);
}

TEST(MessageParser, HandsTheMessageOverOnceAndForgetsIt) {
    const Bytes datagram = hex(kGetResponse);
    std::unique_ptr<SnmpMessage> kept;
    {
        MessageParser parser(datagram.data(), static_cast<std::int32_t>(datagram.size()));
        kept = parser.release();
        EXPECT_EQ(parser.release(), nullptr);
    }
    // Read after the parser is gone; AddressSanitizer would see a message
    // freed with its parser.
    ASSERT_NE(kept, nullptr);
    EXPECT_STREQ(kept->getValueText(1), "100");
    {
        // Never released: the parser frees the message itself (LeakSanitizer
        // would see it otherwise).
        MessageParser parser(datagram.data(), static_cast<std::int32_t>(datagram.size()));
    }
}

}  // namespace
}  // namespace quillow
