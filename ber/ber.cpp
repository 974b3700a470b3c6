#include "ber.h"

namespace quillow {

namespace {

// The smallest number of bytes, 1 to 4, that holds the length.
std::size_t lengthByteCount(std::uint32_t length) {
    if (length <= 0xFFu) return 1;
    if (length <= 0xFFFFu) return 2;
    if (length <= 0xFFFFFFu) return 3;
    return 4;
}

}  // namespace

namespace detail {

void berWriteLongLength(std::uint8_t*& out, std::uint32_t length) {
    const std::size_t k = lengthByteCount(length);
    *out++ = static_cast<std::uint8_t>(0x80u + k);
    for (std::size_t i = k; i > 0; --i) {
        *out++ = static_cast<std::uint8_t>(length >> (8 * (i - 1)));
    }
}

// The first byte, already read, has bit 7 set: it counts the length bytes
// that follow.
std::uint32_t berReadLongLength(DecodeCursor& cursor, std::uint8_t first) {
    const std::size_t k = first & 0x7Fu;
    if (k == 0) {
        cursor.markBad();
        return 0;
    }
    const std::uint8_t* bytes = cursor.take(k);
    if (bytes == nullptr) return 0;
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < k; ++i) {
        length = (length << 8) | bytes[i];
    }
    return length;
}

// The first byte, already read, has bit 7 set: the tag runs on to the first
// byte below 0x80.
std::uint32_t berReadLongTag(DecodeCursor& cursor, std::uint8_t first) {
    for (;;) {
        const std::uint8_t next = cursor.readByte();
        if (cursor.bad()) return 0;
        if (next < 0x80u) return first;
    }
}

}  // namespace detail

std::uint32_t berReadUnsigned(DecodeCursor& cursor, std::size_t n) {
    if (n == 0) return 0;
    const std::uint8_t* bytes = cursor.take(n);
    if (bytes == nullptr) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

std::uint32_t berReadSubidentifier(DecodeCursor& cursor) {
    // Find the last byte first, so that an unfinished subidentifier reads
    // nothing at all.
    std::size_t count = 0;
    for (;;) {
        const int byte = cursor.peek(count);
        if (byte < 0) {
            cursor.markBad();
            return 0;
        }
        ++count;
        if ((byte & 0x80) == 0) break;
    }
    const std::uint8_t* bytes = cursor.take(count);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value << 7) | (bytes[i] & 0x7Fu);
    }
    return value;
}

std::size_t berSubidentifierSize(std::uint32_t v) {
    std::size_t groups = 1;
    while (v >= 0x80u) {
        v >>= 7;
        ++groups;
    }
    return groups;
}

std::size_t berWriteSubidentifier(std::uint8_t* at, std::uint32_t v) {
    const std::size_t groups = berSubidentifierSize(v);
    for (std::size_t i = 0; i < groups; ++i) {
        const std::size_t shift = 7 * (groups - 1 - i);
        std::uint8_t byte = static_cast<std::uint8_t>((v >> shift) & 0x7Fu);
        if (i + 1 < groups) byte = static_cast<std::uint8_t>(byte | 0x80u);
        at[i] = byte;
    }
    return groups;
}

}  // namespace quillow
