// BER primitives: length fields, tags, big-endian content and base-128
// subidentifiers. Writers trust the caller for room (every encoder sizes its
// buffer from encodedSize first); readers go through a DecodeCursor and never
// read past its end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cursor.h"
#include "tags.h"

namespace quillow {

namespace detail {
void berWriteLongLength(std::uint8_t*& out, std::uint32_t length);
std::uint32_t berReadLongLength(DecodeCursor& cursor, std::uint8_t first);
std::uint32_t berReadLongTag(DecodeCursor& cursor, std::uint8_t first);
}  // namespace detail

// The one-byte forms of lengths and tags, which nearly every element of a
// message has, are handled inline; the long forms out of line.

// Writes a definite length field: one byte up to 126, else 0x80 + k and the
// length in k bytes, most significant first. 127 takes the long form.
inline void berWriteLength(std::uint8_t*& out, std::uint32_t length) {
    if (length <= 126) {
        *out++ = static_cast<std::uint8_t>(length);
        return;
    }
    detail::berWriteLongLength(out, length);
}

// The number of bytes berWriteLength writes for the length: 1 to 5.
inline std::size_t berLengthFieldSize(std::uint32_t length) {
    if (length <= 126) return 1;
    if (length <= 0xFFu) return 2;
    if (length <= 0xFFFFu) return 3;
    if (length <= 0xFFFFFFu) return 4;
    return 5;
}

// The encoded size of an element with the given content length: tag, length
// field and content. Every element is sized by this one rule.
inline std::size_t berElementSize(std::size_t contentLength) {
    return 1 + berLengthFieldSize(static_cast<std::uint32_t>(contentLength)) + contentLength;
}

// Reads a length field in either form. The indefinite form (0x80) has no
// place in an SNMP message, whose elements are always definite: it marks the
// cursor bad and yields 0, so the decoder refuses the datagram instead of
// reading everything after it out of step. With more than four length bytes
// only the last four count.
inline std::uint32_t berReadLength(DecodeCursor& cursor) {
    const std::uint8_t first = cursor.readByte();
    if (cursor.bad()) return 0;
    if ((first & 0x80u) == 0) return first;
    return detail::berReadLongLength(cursor, first);
}

// Reads a tag. A byte below 0x80 is the whole tag. A first byte with bit 7
// set is consumed together with the bytes that follow, up to and including
// the first byte below 0x80, and the result is that first byte: it carries the
// class bits and never equals one of the universal or application tags that
// callers compare with.
inline std::uint32_t berReadTag(DecodeCursor& cursor) {
    const std::uint8_t first = cursor.readByte();
    if (cursor.bad()) return 0;
    if (first < 0x80u) return first;
    return detail::berReadLongTag(cursor, first);
}

// Reads n content bytes as an unsigned big-endian number; with more than four
// bytes only the last four count. A count of 0 gives 0 and reads nothing.
std::uint32_t berReadUnsigned(DecodeCursor& cursor, std::size_t n);

// Reads one base-128 subidentifier, up to and including the byte whose bit 7
// is clear. With more than five groups only the low 32 bits remain. A
// subidentifier that is not finished before the end yields 0, consumes
// nothing further and marks the cursor bad.
std::uint32_t berReadSubidentifier(DecodeCursor& cursor);

// Writes v as a base-128 subidentifier at the position and tells how many
// bytes it wrote: 1 to 5.
std::size_t berWriteSubidentifier(std::uint8_t* at, std::uint32_t v);

// The number of bytes berWriteSubidentifier writes for v.
std::size_t berSubidentifierSize(std::uint32_t v);

}  // namespace quillow
