#include "values/oid.h"

#include <gtest/gtest.h>

#include <string>

#include "test_bytes.h"
#include "value_checks.h"

namespace quillow {
namespace {

using test::decodeAs;
using test::expectEncodesAs;
using test::roundTrip;

TEST(SnmpOid, IsMadeFromDottedText) {
    const struct {
        const char* text;
        const char* bytes;
        const char* printed;
    } cases[] = {
        {"1.3.6.1.2.1.1.1.0", "06 08 2B 06 01 02 01 01 01 00", "1.3.6.1.2.1.1.1.0"},
        {"1.3.6.1", "06 03 2B 06 01", "1.3.6.1"},
        {".1.3.6.1.", "06 03 2B 06 01", "1.3.6.1"},
        {"1..3.6.1", "06 03 2B 06 01", "1.3.6.1"},
        {"1.3.6.1.4.1.311", "06 07 2B 06 01 04 01 82 37", "1.3.6.1.4.1.311"},
        {"1.3.128", "06 03 2B 81 00", "1.3.128"},
        {"1.3.16384", "06 04 2B 81 80 00", "1.3.16384"},
        {"1.3.268435455", "06 05 2B FF FF FF 7F", "1.3.268435455"},
        {"1.3.4294967295", "06 06 2B 8F FF FF FF 7F", "1.3.4294967295"},
        {"1.3.-1", "06 06 2B 8F FF FF FF 7F", "1.3.4294967295"},
        {"1.3.x.1", "06 03 2B 00 01", "1.3.0.1"},
        {"1.3. 6.1", "06 03 2B 06 01", "1.3.6.1"},
        {"1.3", "06 01 2B", "1.3"},
        {"0.0", "06 01 00", "0.0"},
        {"0.39", "06 01 27", "0.39"},
        {"1.39", "06 01 4F", "1.39"},
        {"2.47", "06 01 7F", "2.47"},
        // Past the single-byte range the first pair is one base-128 subidentifier.
        {"2.48", "06 02 81 00", "2.48"},
        {"2.999", "06 02 88 37", "2.999"},
        {"2.999.3", "06 03 88 37 03", "2.999.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SnmpOid oid(c.text);
        expectEncodesAs(oid, c.bytes);
        EXPECT_STREQ(oid.toText(), c.printed);
        EXPECT_STREQ(roundTrip<SnmpOid>(oid)->toText(), c.printed);
    }
}

TEST(SnmpOid, RefusesTextsNoEncodingCarriesFaithfully) {
    // Too few arcs, a first arc above 2, or a second arc that would read back
    // as another pair: the identifier is empty rather than a different one.
    for (const char* text : {"", "...", "1", "7", "3.1", "0.40", "1.40", "4.1.2"}) {
        SCOPED_TRACE(text);
        SnmpOid oid(text);
        expectEncodesAs(oid, "06 00");
        EXPECT_STREQ(oid.toText(), "");
    }
    SnmpOid null(nullptr);
    expectEncodesAs(null, "06 00");
}

TEST(SnmpOid, TextsUpToTheContentLimitAreKeptAndLongerOnesRefused) {
    // Each arc 268435456 takes five bytes; with the two-arc first byte,
    // 819 of them fill 4096 bytes exactly.
    std::string text = "1.3";
    for (int i = 0; i < 819; ++i) text += ".268435456";
    SnmpOid full(text.c_str());
    EXPECT_EQ(full.getContentLength(), SnmpOid::kMaxTextContent);
    EXPECT_EQ(std::string(full.toText()), text);
    EXPECT_EQ(std::string(roundTrip<SnmpOid>(full)->toText()), text);

    text += ".1";
    SnmpOid over(text.c_str());
    expectEncodesAs(over, "06 00");
}

TEST(SnmpOid, PrintsReceivedContent) {
    const struct {
        const char* afterTag;
        const char* text;
    } cases[] = {
        {"00", ""},
        {"01 00", "0.0"},
        {"01 28", "1.0"},
        {"01 50", "2.0"},
        {"01 7F", "2.47"},
        {"07 2B 06 01 04 01 82 37", "1.3.6.1.4.1.311"},
        {"02 88 37", "2.999"},
        {"05 8F FF FF FF 7F", "2.4294967215"},
        // An unfinished last subidentifier is left out of the text.
        {"03 2B 06 86", "1.3.6"},
        {"04 2B 06 86 F7", "1.3.6"},
        {"01 86", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.afterTag);
        const auto oid = decodeAs<SnmpOid>(c.afterTag);
        EXPECT_STREQ(oid->toText(), c.text);
        EXPECT_STREQ(oid->getTypeName(), "OID");
        // The content is kept as it came, so it encodes again unchanged.
        expectEncodesAs(*oid, std::string("06 ") + c.afterTag);
    }
}

TEST(SnmpOid, TheTextIsBuiltOnceAndKept) {
    SnmpOid oid("1.3.6.1.2.1.1.3.0");
    const char* text = oid.toText();
    EXPECT_EQ(oid.toText(), text);
}

}  // namespace
}  // namespace quillow
