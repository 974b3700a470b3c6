#include "ber/ber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_bytes.h"

namespace quillow {
namespace {

using test::Bytes;
using test::hex;
using test::toHex;

struct LengthCase {
    std::uint32_t length;
    const char* bytes;
};

const LengthCase kLengthCases[] = {
    {0, "00"},
    {126, "7E"},
    {127, "81 7F"},
    {128, "81 80"},
    {255, "81 FF"},
    {256, "82 01 00"},
    {65535, "82 FF FF"},
    {65536, "83 01 00 00"},
    {0xFFFFFF, "83 FF FF FF"},
    {0x01000000, "84 01 00 00 00"},
    {0xFFFFFFFF, "84 FF FF FF FF"},
};

TEST(BerLength, WritesTheShortestForm) {
    for (const LengthCase& c : kLengthCases) {
        Bytes out(8, 0xEE);
        std::uint8_t* cursor = out.data();
        berWriteLength(cursor, c.length);
        const Bytes expected = hex(c.bytes);
        const std::size_t written = static_cast<std::size_t>(cursor - out.data());
        EXPECT_EQ(written, expected.size()) << c.length;
        EXPECT_EQ(written, berLengthFieldSize(c.length)) << c.length;
        EXPECT_EQ(toHex(Bytes(out.begin(), out.begin() + static_cast<long>(written))), toHex(expected)) << c.length;
        EXPECT_EQ(out[written], 0xEE) << "wrote past the field for " << c.length;
    }
}

TEST(BerLength, ReadsEveryWrittenLengthBack) {
    for (const LengthCase& c : kLengthCases) {
        const Bytes bytes = hex(c.bytes);
        DecodeCursor cursor(bytes.data(), bytes.size());
        EXPECT_EQ(berReadLength(cursor), c.length);
        EXPECT_TRUE(cursor.good());
        EXPECT_EQ(cursor.offset(), berLengthFieldSize(c.length));
    }
}

TEST(BerLength, RoundTripsLengthsAcrossEveryFormBoundary) {
    std::vector<std::uint32_t> lengths;
    for (std::uint32_t n = 0; n <= 70000; ++n) lengths.push_back(n);
    for (std::uint32_t shift = 16; shift < 32; ++shift) {
        const std::uint32_t p = 1u << shift;
        lengths.insert(lengths.end(), {p - 1, p, p + 1});
    }
    lengths.push_back(0xFFFFFFFFu);
    std::uint8_t field[5];
    for (std::uint32_t n : lengths) {
        std::uint8_t* out = field;
        berWriteLength(out, n);
        const std::size_t size = static_cast<std::size_t>(out - field);
        ASSERT_EQ(size, berLengthFieldSize(n)) << n;
        DecodeCursor cursor(field, size);
        ASSERT_EQ(berReadLength(cursor), n);
        ASSERT_EQ(cursor.offset(), size) << n;
        ASSERT_TRUE(cursor.good());
    }
}

TEST(BerLength, AcceptsNonMinimalForms) {
    struct Case {
        const char* bytes;
        std::uint32_t length;
        std::size_t consumed;
    } cases[] = {
        {"7F", 127, 1},
        {"81 7F", 127, 2},
        {"82 01 00", 256, 3},
        {"81 05", 5, 2},
        {"85 00 00 00 01 00", 256, 6},  // only the last four bytes count
        {"85 01 00 00 00 05", 5, 6},
    };
    for (const Case& c : cases) {
        const Bytes bytes = hex(c.bytes);
        DecodeCursor cursor(bytes.data(), bytes.size());
        EXPECT_EQ(berReadLength(cursor), c.length) << c.bytes;
        EXPECT_EQ(cursor.offset(), c.consumed) << c.bytes;
        EXPECT_TRUE(cursor.good()) << c.bytes;
    }
}

TEST(BerLength, RefusesTheIndefiniteForm) {
    const Bytes bytes = hex("80 02 01 05 00 00");
    DecodeCursor cursor(bytes.data(), bytes.size());
    EXPECT_EQ(berReadLength(cursor), 0u);
    EXPECT_TRUE(cursor.bad());
    EXPECT_EQ(cursor.remaining(), 0u);
}

TEST(BerLength, ReadsNothingPastTheEnd) {
    const char* truncated[] = {"", "81", "82 01", "84 00 00 01", "FF 00 00"};
    for (const char* text : truncated) {
        // Copy into a buffer of exactly the bytes, so that the sanitizers see
        // any read past them.
        const Bytes bytes = hex(text);
        std::vector<std::uint8_t> exact(bytes);
        DecodeCursor cursor(exact.data(), exact.size());
        EXPECT_EQ(berReadLength(cursor), 0u) << text;
        EXPECT_TRUE(cursor.bad()) << text;
        // A bad cursor yields nothing more.
        EXPECT_EQ(berReadLength(cursor), 0u);
        EXPECT_EQ(cursor.readByte(), 0u);
    }
}

TEST(BerTag, ReadsSingleByteTags) {
    const Bytes bytes = hex("02 43 30 7F");
    DecodeCursor cursor(bytes.data(), bytes.size());
    EXPECT_EQ(berReadTag(cursor), 0x02u);
    EXPECT_EQ(cursor.offset(), 1u);
    EXPECT_EQ(berReadTag(cursor), 0x43u);
    EXPECT_EQ(berReadTag(cursor), 0x30u);
    EXPECT_EQ(berReadTag(cursor), 0x7Fu);
    EXPECT_TRUE(cursor.good());
}

TEST(BerTag, ConsumesAMultiByteTagUpToItsLastByte) {
    struct Case {
        const char* bytes;
        std::uint32_t tag;
        std::size_t consumed;
    } cases[] = {
        {"A2 02", 0xA2, 2},
        {"9F 81 82 05 01", 0x9F, 4},
        {"80 00", 0x80, 2},
        {"FF 7F 02", 0xFF, 2},
    };
    for (const Case& c : cases) {
        const Bytes bytes = hex(c.bytes);
        DecodeCursor cursor(bytes.data(), bytes.size());
        const std::uint32_t tag = berReadTag(cursor);
        EXPECT_EQ(tag, c.tag) << c.bytes;
        EXPECT_EQ(cursor.offset(), c.consumed) << c.bytes;
        for (std::uint32_t compared : {0x02u, 0x04u, 0x06u, 0x40u, 0x43u}) EXPECT_NE(tag, compared);
    }
}

TEST(BerTag, AnUnfinishedMultiByteTagMarksTheCursor) {
    const Bytes bytes = hex("9F 81 82");
    std::vector<std::uint8_t> exact(bytes);
    DecodeCursor cursor(exact.data(), exact.size());
    EXPECT_EQ(berReadTag(cursor), 0u);
    EXPECT_TRUE(cursor.bad());

    DecodeCursor empty(nullptr, 0);
    EXPECT_EQ(berReadTag(empty), 0u);
    EXPECT_TRUE(empty.bad());
}

TEST(BerUnsigned, ReadsBigEndianKeepingTheLowFourBytes) {
    struct Case {
        const char* bytes;
        std::size_t count;
        std::uint32_t value;
    } cases[] = {
        {"", 0, 0},
        {"FF", 1, 255},
        {"01 00", 2, 256},
        {"12 34 56", 3, 0x123456},
        {"80 00 00 00", 4, 0x80000000u},
        {"00 FF FF FF FF", 5, 0xFFFFFFFFu},
        {"01 00 00 00 05", 5, 5},
    };
    for (const Case& c : cases) {
        Bytes bytes = hex(c.bytes);
        bytes.push_back(0xAA);  // a byte after the content that must stay unread
        DecodeCursor cursor(bytes.data(), bytes.size());
        EXPECT_EQ(berReadUnsigned(cursor, c.count), c.value) << c.bytes;
        EXPECT_EQ(cursor.offset(), c.count) << c.bytes;
        EXPECT_TRUE(cursor.good());
    }
}

TEST(BerUnsigned, ACountBeyondTheEndReadsNothing) {
    std::vector<std::uint8_t> exact = hex("01 02 03");
    DecodeCursor cursor(exact.data(), exact.size());
    EXPECT_EQ(berReadUnsigned(cursor, 4), 0u);
    EXPECT_TRUE(cursor.bad());
    EXPECT_EQ(berReadUnsigned(cursor, 1), 0u);
}

struct SubidentifierCase {
    std::uint32_t value;
    const char* bytes;
};

const SubidentifierCase kSubidentifierCases[] = {
    {0, "00"},
    {127, "7F"},
    {128, "81 00"},
    {16383, "FF 7F"},
    {16384, "81 80 00"},
    {2097151, "FF FF 7F"},
    {2097152, "81 80 80 00"},
    {268435455, "FF FF FF 7F"},
    {268435456, "81 80 80 80 00"},
    {0x80000000u, "88 80 80 80 00"},
    {4294967295u, "8F FF FF FF 7F"},
};

TEST(BerSubidentifier, WritesTheFewestGroups) {
    for (const SubidentifierCase& c : kSubidentifierCases) {
        Bytes out(6, 0xEE);
        const std::size_t count = berWriteSubidentifier(out.data(), c.value);
        const Bytes expected = hex(c.bytes);
        ASSERT_EQ(count, expected.size()) << c.value;
        EXPECT_EQ(count, berSubidentifierSize(c.value));
        EXPECT_EQ(toHex(Bytes(out.begin(), out.begin() + static_cast<long>(count))), toHex(expected)) << c.value;
        EXPECT_EQ(out[count], 0xEE) << "wrote past the subidentifier for " << c.value;
    }
}

TEST(BerSubidentifier, ReadsEachRunBackAndStopsAfterItsLastByte) {
    for (const SubidentifierCase& c : kSubidentifierCases) {
        Bytes bytes = hex(c.bytes);
        const std::size_t size = bytes.size();
        bytes.push_back(0x05);
        DecodeCursor cursor(bytes.data(), bytes.size());
        EXPECT_EQ(berReadSubidentifier(cursor), c.value) << c.bytes;
        EXPECT_EQ(cursor.offset(), size) << c.bytes;
        EXPECT_TRUE(cursor.good());
    }
}

TEST(BerSubidentifier, KeepsTheLowBitsOfOverlongRuns) {
    const Bytes bytes = hex("81 80 80 80 80 01");  // 2^35 + 1: only the low 32 bits remain
    DecodeCursor cursor(bytes.data(), bytes.size());
    EXPECT_EQ(berReadSubidentifier(cursor), 1u);
    EXPECT_EQ(cursor.offset(), 6u);
}

TEST(BerSubidentifier, AnUnfinishedRunReadsNothing) {
    std::vector<std::uint8_t> exact = hex("2B 86 F7");
    DecodeCursor cursor(exact.data(), exact.size());
    EXPECT_EQ(berReadSubidentifier(cursor), 0x2Bu);
    EXPECT_EQ(berReadSubidentifier(cursor), 0u);
    EXPECT_TRUE(cursor.bad());
}

TEST(BerElementSize, AddsTagLengthFieldAndContent) {
    EXPECT_EQ(berElementSize(0), 2u);
    EXPECT_EQ(berElementSize(126), 128u);
    EXPECT_EQ(berElementSize(127), 130u);
    EXPECT_EQ(berElementSize(256), 260u);
}

}  // namespace
}  // namespace quillow
