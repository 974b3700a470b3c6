// Checks shared by the value tests: the encoding of a value against the
// bytes expected on the wire, and decoding from bytes of exactly their size.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "test_bytes.h"
#include "values/value.h"

namespace quillow {
namespace test {

// encodedSize, encode and encodeToBuffer all agree with the expected bytes,
// and encode moves the cursor by exactly encodedSize.
inline void expectEncodesAs(const SnmpValue& value, const std::string& expectedHex) {
    const Bytes expected = hex(expectedHex);
    EXPECT_EQ(value.encodedSize(), expected.size()) << expectedHex;
    std::size_t written = 0;
    const Bytes encoded = encodeExactly(value, &written);
    EXPECT_EQ(written, encoded.size()) << expectedHex;
    EXPECT_EQ(toHex(encoded), toHex(expected));
    const std::unique_ptr<std::uint8_t[]> buffer = value.encodeToBuffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(toHex(Bytes(buffer.get(), buffer.get() + value.encodedSize())), toHex(expected));
}

// Decodes a value of class T from the bytes that follow its tag (length and
// content), held in a buffer of exactly their size, and checks the cursor
// consumed them all.
template <typename T>
std::unique_ptr<T> decodeAs(const std::string& afterTagHex) {
    const Bytes bytes = hex(afterTagHex);
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size() + 1]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    DecodeCursor cursor(exact.get(), bytes.size());
    std::unique_ptr<T> value(new T(cursor));
    EXPECT_TRUE(cursor.good()) << afterTagHex;
    EXPECT_EQ(cursor.offset(), bytes.size()) << afterTagHex;
    return value;
}

// Encodes a value and decodes the result again with class T.
template <typename T>
std::unique_ptr<T> roundTrip(const SnmpValue& value) {
    const Bytes encoded = encodeExactly(value);
    DecodeCursor cursor(encoded.data(), encoded.size());
    EXPECT_EQ(cursor.readByte(), value.getTag());
    std::unique_ptr<T> decoded(new T(cursor));
    EXPECT_TRUE(cursor.good());
    EXPECT_EQ(cursor.remaining(), 0u);
    return decoded;
}

}  // namespace test
}  // namespace quillow
