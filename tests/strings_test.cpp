#include "values/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "test_bytes.h"
#include "value_checks.h"

namespace quillow {
namespace {

using test::Bytes;
using test::decodeAs;
using test::expectEncodesAs;
using test::hex;
using test::roundTrip;
using test::toHex;

std::string lengthAndContent(const std::string& contentHex) {
    char length[8];
    std::snprintf(length, sizeof length, "%02X ", static_cast<unsigned>(hex(contentHex).size()));
    return length + contentHex;
}

TEST(SnmpOctetString, PrintsPrintableContentAsItIsAndAnyOtherInHex) {
    const struct {
        const char* content;
        const char* text;
        bool binary;
    } cases[] = {
        {"", "", false},
        {"61 62 63", "abc", false},
        {"61 09 62 0D 0A", "a\tb\r\n", false},
        {"20 7E", " ~", false},
        {"61 62 63 00", "abc", false},  // a single NUL at the very end is allowed
        {"00", "", false},
        {"61 62 00 00", "61620000", true},
        {"61 01", "6101", true},
        {"00 61", "0061", true},
        {"61 7F", "617f", true},
        {"80 61", "8061", true},
        {"61 FF 62", "61ff62", true},
        {"0B", "0b", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const auto value = decodeAs<SnmpOctetString>(lengthAndContent(c.content));
        EXPECT_STREQ(value->toText(), c.text);
        EXPECT_EQ(value->isBinary(), c.binary);
        expectEncodesAs(*value, std::string("04 ") + lengthAndContent(c.content));
    }
}

TEST(SnmpOctetString, IsMadeFromTheBytesOfAText) {
    SnmpOctetString empty("");
    expectEncodesAs(empty, "04 00");
    EXPECT_STREQ(empty.toText(), "");

    SnmpOctetString community("harbour");
    expectEncodesAs(community, "04 07 68 61 72 62 6F 75 72");
    EXPECT_STREQ(community.toText(), "harbour");
    EXPECT_STREQ(community.getTypeName(), "String");
    EXPECT_STREQ(roundTrip<SnmpOctetString>(community)->toText(), "harbour");
}

TEST(SnmpOctetString, ContentAroundTheLongLengthFormBoundary) {
    const struct {
        std::size_t length;
        const char* header;
    } cases[] = {{126, "04 7E"}, {127, "04 81 7F"}, {255, "04 81 FF"}, {256, "04 82 01 00"}};
    for (const auto& c : cases) {
        const std::string text(c.length, 'q');
        SnmpOctetString value(text.c_str());
        const Bytes header = hex(c.header);
        ASSERT_EQ(value.encodedSize(), header.size() + c.length);
        const Bytes encoded = test::encodeExactly(value);
        EXPECT_EQ(toHex(Bytes(encoded.begin(), encoded.begin() + static_cast<long>(header.size()))), toHex(header));
        const std::unique_ptr<std::uint8_t[]> buffer = value.encodeToBuffer();
        EXPECT_EQ(Bytes(buffer.get(), buffer.get() + encoded.size()), encoded);
        EXPECT_EQ(roundTrip<SnmpOctetString>(value)->toText(), text);
    }
}

TEST(SnmpOctetString, ATextLongerThanTheContentLengthCarriesIsCut) {
    const std::string text(70000, 'z');
    SnmpOctetString value(text.c_str());
    EXPECT_EQ(value.getContentLength(), 65535u);
    EXPECT_EQ(value.encodedSize(), 1u + 3u + 65535u);
    const auto decoded = roundTrip<SnmpOctetString>(value);
    EXPECT_EQ(std::string(decoded->toText()), text.substr(0, 65535));
}

TEST(SnmpIpAddress, IsMadeFromDottedText) {
    const struct {
        const char* text;
        const char* bytes;
        const char* printed;
    } cases[] = {
        {"10.0.0.1", "40 04 0A 00 00 01", "10.0.0.1"},
        {"192.168.2.1", "40 04 C0 A8 02 01", "192.168.2.1"},
        {"300.1.2.3", "40 04 2C 01 02 03", "44.1.2.3"},
        {"-1.2.3.4", "40 04 FF 02 03 04", "255.2.3.4"},
        {".10..0.0.1.", "40 04 0A 00 00 01", "10.0.0.1"},
        {" 7.+8.x.9", "40 04 07 08 00 09", "7.8.0.9"},
        // Missing parts give zero bytes; parts beyond the fourth are ignored.
        {"10.1", "40 04 0A 01 00 00", "10.1.0.0"},
        {"", "40 04 00 00 00 00", "0.0.0.0"},
        {"1.2.3.4.5.6", "40 04 01 02 03 04", "1.2.3.4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SnmpIpAddress value(c.text);
        expectEncodesAs(value, c.bytes);
        EXPECT_STREQ(value.toText(), c.printed);
        EXPECT_STREQ(value.getTypeName(), "IpAddress");
    }
}

TEST(SnmpIpAddress, PrintsEveryDecodedByte) {
    EXPECT_STREQ(decodeAs<SnmpIpAddress>("00")->toText(), "");
    EXPECT_STREQ(decodeAs<SnmpIpAddress>("01 FF")->toText(), "255");
    EXPECT_STREQ(decodeAs<SnmpIpAddress>("06 01 02 03 04 05 FF")->toText(), "1.2.3.4.5.255");
    expectEncodesAs(*decodeAs<SnmpIpAddress>("06 01 02 03 04 05 FF"), "40 06 01 02 03 04 05 FF");
}

TEST(SnmpOpaque, PrintsOneCharacterPerByte) {
    const auto value = decodeAs<SnmpOpaque>("04 61 62 01 63");
    EXPECT_STREQ(value->toText(), "ab c");
    EXPECT_STREQ(decodeAs<SnmpOpaque>("05 09 0A 0D 00 7F")->toText(), "     ");
    EXPECT_STREQ(value->getTypeName(), "Opaque");
}

TEST(SnmpOpaque, ANullBecomesAnEmptyOpaqueEncodedWithItsOwnTag) {
    // The caller has consumed the tag 0x05; only the length follows.
    const auto value = decodeAs<SnmpOpaque>("00");
    EXPECT_STREQ(value->toText(), "");
    EXPECT_EQ(value->getTag(), 0x44);
    expectEncodesAs(*value, "44 00");
}

TEST(SnmpByteStrings, ContentPromisedPastTheEndIsRefused) {
    const Bytes bytes = hex("7F 61");  // a community length of 0x7F with one byte behind it
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    DecodeCursor cursor(exact.get(), bytes.size());
    SnmpOctetString value(cursor);
    EXPECT_TRUE(cursor.bad());
    EXPECT_EQ(value.getContentLength(), 0u);
    expectEncodesAs(value, "04 00");
}

}  // namespace
}  // namespace quillow
