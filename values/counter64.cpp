#include "counter64.h"

#include <cinttypes>
#include <cstdio>

namespace quillow {

SnmpNumber64::SnmpNumber64(DecodeCursor& cursor, std::uint8_t tag, const char* typeName)
    : SnmpValue(cursor, tag, typeName) {
    const std::uint8_t* bytes = cursor.take(contentLength_);
    if (bytes == nullptr) {
        contentLength_ = 0;
        return;
    }
    // Only the last eight bytes count, so the nine-byte form of values from
    // 2^63 up reads correctly.
    for (std::size_t i = 0; i < contentLength_; ++i) value_ = (value_ << 8) | bytes[i];
}

void SnmpNumber64::encode(std::uint8_t*& out) const {
    const std::size_t n = contentLength_;
    berWriteLength(out, contentLength_);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t shift = 8 * (n - 1 - i);
        *out++ = static_cast<std::uint8_t>(shift >= 64 ? 0 : value_ >> shift);
    }
}

const char* SnmpNumber64::toText() const {
    if (cachedText_ != nullptr) return cachedText_.get();
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%" PRIu64, value_);
    return keepTextCopy(text, static_cast<std::size_t>(length));
}

void SnmpNumber64::setValue(std::uint64_t value) {
    value_ = value;
    std::uint16_t n = 1;
    while (n < 8 && (value >> (8 * n)) != 0) ++n;
    contentLength_ = n;
    cachedText_.reset();
}

SnmpCounter64::SnmpCounter64(DecodeCursor& cursor) : SnmpNumber64(cursor, kTagCounter64, "Counter64") {}

void SnmpCounter64::encode(std::uint8_t*& out) const {
    *out++ = kTagCounter64;
    SnmpNumber64::encode(out);
}

}  // namespace quillow
