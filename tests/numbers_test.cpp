#include "values/numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "test_bytes.h"
#include "value_checks.h"
#include "values/counter64.h"

namespace quillow {
namespace {

using test::decodeAs;
using test::expectEncodesAs;
using test::roundTrip;

struct IntegerCase {
    std::int32_t value;
    const char* bytes;
    const char* text;
};

// Every boundary of the content-length rule, on both sides of zero.
const IntegerCase kIntegerCases[] = {
    {0, "02 01 00", "0"},
    {1, "02 01 01", "1"},
    {123, "02 01 7B", "123"},
    {127, "02 01 7F", "127"},
    {128, "02 02 00 80", "128"},
    {255, "02 02 00 FF", "255"},
    {256, "02 02 01 00", "256"},
    {32767, "02 02 7F FF", "32767"},
    {32768, "02 03 00 80 00", "32768"},
    {8388607, "02 03 7F FF FF", "8388607"},
    {8388608, "02 04 00 80 00 00", "8388608"},
    {2147483647, "02 04 7F FF FF FF", "2147483647"},
    {-1, "02 01 FF", "-1"},
    {-128, "02 01 80", "-128"},
    {-129, "02 02 FF 7F", "-129"},
    {-32768, "02 02 80 00", "-32768"},
    {-32769, "02 03 FF 7F FF", "-32769"},
    {-8388608, "02 03 80 00 00", "-8388608"},
    {-8388609, "02 04 FF 7F FF FF", "-8388609"},
    {INT32_MIN, "02 04 80 00 00 00", "-2147483648"},
};

TEST(SnmpInteger, EncodesWithTheFewestTwosComplementBytes) {
    for (const IntegerCase& c : kIntegerCases) {
        SCOPED_TRACE(c.value);
        SnmpInteger value(c.value);
        expectEncodesAs(value, c.bytes);
        EXPECT_STREQ(value.toText(), c.text);
        EXPECT_EQ(value.getValue(), c.value);
        EXPECT_STREQ(value.getTypeName(), "Integer");
        EXPECT_EQ(value.getTag(), 0x02);
        EXPECT_EQ(roundTrip<SnmpInteger>(value)->getValue(), c.value);
    }
}

struct TicksCase {
    std::uint32_t value;
    const char* bytes;
};

TEST(SnmpTimeTicks, EveryValueSurvivesEncodingAndDecoding) {
    const TicksCase cases[] = {
        {0, "43 01 00"},
        {100, "43 01 64"},
        {128, "43 02 00 80"},
        {2147483648u, "43 04 80 00 00 00"},
        {0xFF7FFFFFu, "43 04 FF 7F FF FF"},
        // From 0xFF800000 up the shortest two's-complement form would read
        // back as a small number, so these keep four bytes.
        {0xFF800000u, "43 04 FF 80 00 00"},
        {0xFFFFFF80u, "43 04 FF FF FF 80"},
        {0xFFFFFFFFu, "43 04 FF FF FF FF"},
    };
    for (const TicksCase& c : cases) {
        SCOPED_TRACE(c.value);
        SnmpTimeTicks value(c.value);
        expectEncodesAs(value, c.bytes);
        EXPECT_EQ(value.getValue(), static_cast<std::int64_t>(c.value));
        EXPECT_EQ(std::to_string(c.value), value.toText());
        EXPECT_EQ(roundTrip<SnmpTimeTicks>(value)->getValue(), static_cast<std::int64_t>(c.value));
    }
}

TEST(SnmpTimeTicks, RoundTripsValuesAcrossTheWholeRange) {
    for (std::uint64_t v = 0; v <= 0xFFFFFFFFull; v += 0x00FFFFF1ull) {
        SnmpTimeTicks value(static_cast<std::uint32_t>(v));
        ASSERT_EQ(roundTrip<SnmpTimeTicks>(value)->getValue(), static_cast<std::int64_t>(v));
    }
}

// The decoding tables give the bytes after the tag: length field and content.
struct DecodeCase {
    const char* afterTag;
    std::int64_t value;
    const char* text;
};

TEST(SnmpInteger, DecodesTwosComplementContentOfAnyLength) {
    const DecodeCase cases[] = {
        {"00", 0, "0"},
        {"01 FF", -1, "-1"},
        {"01 80", -128, "-128"},
        {"01 7F", 127, "127"},
        {"02 00 FF", 255, "255"},
        {"02 FF 7F", -129, "-129"},
        {"03 80 00 00", -8388608, "-8388608"},
        {"04 FF FF FF FF", -1, "-1"},
        {"04 7F FF FF FF", 2147483647, "2147483647"},
        // Beyond four bytes the low 32 bits count, taken as signed.
        {"05 00 80 00 00 00", INT32_MIN, "-2147483648"},
        {"05 00 FF FF FF FF", -1, "-1"},
        {"06 01 02 00 00 00 05", 5, "5"},
        {"09 FF FF FF FF FF FF FF FF FE", -2, "-2"},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.afterTag);
        const auto value = decodeAs<SnmpInteger>(c.afterTag);
        EXPECT_EQ(value->getValue(), c.value);
        EXPECT_STREQ(value->toText(), c.text);
    }
}

TEST(SnmpUnsignedNumbers, DecodeContentAsUnsignedKeepingTheLowFourBytes) {
    const DecodeCase cases[] = {
        {"00", 0, "0"},
        {"01 FF", 255, "255"},
        {"02 FF FF", 65535, "65535"},
        {"03 FF FF FF", 16777215, "16777215"},
        {"04 80 00 00 00", 2147483648, "2147483648"},
        {"04 FF FF FF FF", 4294967295, "4294967295"},
        {"05 00 FF FF FF FF", 4294967295, "4294967295"},
        {"06 12 34 00 00 00 07", 7, "7"},
        {"09 01 02 03 04 05 06 07 08 09", 0x06070809, "101124105"},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.afterTag);
        EXPECT_EQ(decodeAs<SnmpCounter>(c.afterTag)->getValue(), c.value);
        EXPECT_EQ(decodeAs<SnmpGauge>(c.afterTag)->getValue(), c.value);
        const auto ticks = decodeAs<SnmpTimeTicks>(c.afterTag);
        EXPECT_EQ(ticks->getValue(), c.value);
        EXPECT_STREQ(ticks->toText(), c.text);
    }
}

TEST(SnmpNumber, ADecodedNumberEncodesAgainWithTheLengthItCarried) {
    struct Case {
        const char* afterTag;
        const char* reencoded;
    } counterCases[] = {
        {"00", "41 00"},
        {"05 00 FF FF FF FF", "41 05 00 FF FF FF FF"},
        {"02 00 05", "41 02 00 05"},
        // Bytes beyond the 32-bit value go out as zeros.
        {"06 12 34 00 00 00 07", "41 06 00 00 00 00 00 07"},
    };
    for (const Case& c : counterCases) expectEncodesAs(*decodeAs<SnmpCounter>(c.afterTag), c.reencoded);

    Case integerCases[] = {
        {"00", "02 00"},
        {"02 00 7F", "02 02 00 7F"},
        {"05 FF FF FF FF FE", "02 05 FF FF FF FF FE"},
        {"05 00 00 00 00 05", "02 05 00 00 00 00 05"},
    };
    for (const Case& c : integerCases) expectEncodesAs(*decodeAs<SnmpInteger>(c.afterTag), c.reencoded);
    expectEncodesAs(*decodeAs<SnmpGauge>("01 FF"), "42 01 FF");
    expectEncodesAs(*decodeAs<SnmpTimeTicks>("00"), "43 00");
}

TEST(SnmpNumber, ContentPastTheEndReadsNothing) {
    const test::Bytes bytes = test::hex("04 00 00 01");
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    DecodeCursor cursor(exact.get(), bytes.size());
    SnmpInteger value(cursor);
    EXPECT_TRUE(cursor.bad());
    // The value never claims content it does not hold.
    EXPECT_EQ(value.getValue(), 0);
    expectEncodesAs(value, "02 00");
}

TEST(SnmpNumber, SetValueDiscardsAnEarlierText) {
    SnmpInteger value(5);
    EXPECT_STREQ(value.toText(), "5");
    value.setValue(-300);
    EXPECT_STREQ(value.toText(), "-300");
    expectEncodesAs(value, "02 02 FE D4");

    auto counter = decodeAs<SnmpCounter>("01 07");
    EXPECT_STREQ(counter->toText(), "7");
    counter->setValue(0xFFFFFFFFu);
    EXPECT_STREQ(counter->toText(), "4294967295");
    expectEncodesAs(*counter, "41 04 FF FF FF FF");
}

TEST(SnmpNumber, TheTextIsBuiltOnceAndKept) {
    SnmpTimeTicks value(42);
    const char* first = value.toText();
    EXPECT_EQ(value.toText(), first);
    EXPECT_STREQ(first, "42");
}

TEST(SnmpCounter64, DecodesUpToEightBytesAsUnsigned) {
    const struct {
        const char* afterTag;
        std::uint64_t value;
        const char* text;
    } cases[] = {
        {"00", 0, "0"},
        {"01 00", 0, "0"},
        {"05 01 00 00 00 05", 4294967301ull, "4294967301"},
        {"08 FF FF FF FF FF FF FF FF", 18446744073709551615ull, "18446744073709551615"},
        {"09 00 FF FF FF FF FF FF FF FF", 18446744073709551615ull, "18446744073709551615"},
        {"09 00 80 00 00 00 00 00 00 00", 9223372036854775808ull, "9223372036854775808"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.afterTag);
        const auto value = decodeAs<SnmpCounter64>(c.afterTag);
        EXPECT_EQ(value->getValue(), c.value);
        EXPECT_STREQ(value->toText(), c.text);
        EXPECT_STREQ(value->getTypeName(), "Counter64");
    }
    expectEncodesAs(*decodeAs<SnmpCounter64>("09 00 FF FF FF FF FF FF FF FF"), "46 09 00 FF FF FF FF FF FF FF FF");
    expectEncodesAs(*decodeAs<SnmpCounter64>("00"), "46 00");
}

TEST(SnmpCounter64, SetValueTakesTheFewestUnsignedBytes) {
    const struct {
        std::uint64_t value;
        const char* bytes;
    } cases[] = {
        {0, "46 01 00"},
        {255, "46 01 FF"},
        {256, "46 02 01 00"},
        {65536, "46 03 01 00 00"},
        {4600387192ull, "46 05 01 12 34 56 78"},
        {9223372036854775808ull, "46 08 80 00 00 00 00 00 00 00"},
        {18446744073709551615ull, "46 08 FF FF FF FF FF FF FF FF"},
    };
    auto value = decodeAs<SnmpCounter64>("00");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        value->setValue(c.value);
        expectEncodesAs(*value, c.bytes);
        EXPECT_EQ(std::to_string(c.value), value->toText());
        EXPECT_EQ(roundTrip<SnmpCounter64>(*value)->getValue(), c.value);
    }
}

}  // namespace
}  // namespace quillow
