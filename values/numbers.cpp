#include "numbers.h"

#include <cinttypes>
#include <cstdio>

namespace quillow {

namespace {

// The smallest number of bytes, 1 to 4, whose two's-complement form holds
// the pattern.
std::uint16_t minimalLength(std::uint32_t bits) {
    std::uint16_t n = 4;
    std::uint32_t pattern = bits;
    while (n > 1) {
        const std::uint32_t top = pattern & 0xFF800000u;
        if (top != 0 && top != 0xFF800000u) break;
        pattern <<= 8;
        --n;
    }
    return n;
}

}  // namespace

SnmpNumber::SnmpNumber(DecodeCursor& cursor, std::uint8_t tag, const char* typeName, bool isSigned)
    : SnmpValue(cursor, tag, typeName), signed_(isSigned) {
    const std::size_t n = contentLength_;
    const int first = cursor.peek(0);
    std::uint32_t bits = berReadUnsigned(cursor, n);
    if (cursor.bad()) {
        contentLength_ = 0;
        return;
    }
    // Short signed content is sign-extended to the full pattern.
    if (signed_ && n >= 1 && n <= 3 && (first & 0x80) != 0) {
        bits |= ~((1u << (8 * n)) - 1u);
    }
    bits_ = bits;
}

void SnmpNumber::encode(std::uint8_t*& out) const {
    const std::size_t n = contentLength_;
    berWriteLength(out, contentLength_);
    const bool negative = signed_ && (bits_ & 0x80000000u) != 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t shift = 8 * (n - 1 - i);
        const std::uint32_t byte = shift >= 32 ? (negative ? 0xFFu : 0x00u) : bits_ >> shift;
        *out++ = static_cast<std::uint8_t>(byte);
    }
}

const char* SnmpNumber::toText() const {
    if (cachedText_ != nullptr) return cachedText_.get();
    char text[16];
    const int length = signed_ ? std::snprintf(text, sizeof text, "%" PRId32, toSigned32(bits_))
                               : std::snprintf(text, sizeof text, "%" PRIu32, bits_);
    return keepTextCopy(text, static_cast<std::size_t>(length));
}

std::int64_t SnmpNumber::getValue() const {
    return signed_ ? static_cast<std::int64_t>(toSigned32(bits_)) : static_cast<std::int64_t>(bits_);
}

void SnmpNumber::setValue(std::int64_t value) {
    bits_ = static_cast<std::uint32_t>(value & 0xFFFFFFFF);
    contentLength_ = minimalLength(bits_);
    if (!signed_ && bits_ >= 0xFF800000u) contentLength_ = 4;
    cachedText_.reset();
}

SnmpInteger::SnmpInteger(DecodeCursor& cursor) : SnmpNumber(cursor, kTagInteger, "Integer", true) {}
SnmpInteger::SnmpInteger(std::int32_t value) : SnmpNumber(kTagInteger, "Integer", true) { setValue(value); }
void SnmpInteger::encode(std::uint8_t*& out) const {
    *out++ = kTagInteger;
    SnmpNumber::encode(out);
}

SnmpCounter::SnmpCounter(DecodeCursor& cursor) : SnmpNumber(cursor, kTagCounter, "Counter", false) {}
void SnmpCounter::encode(std::uint8_t*& out) const {
    *out++ = kTagCounter;
    SnmpNumber::encode(out);
}

SnmpGauge::SnmpGauge(DecodeCursor& cursor) : SnmpNumber(cursor, kTagGauge, "Gauge", false) {}
void SnmpGauge::encode(std::uint8_t*& out) const {
    *out++ = kTagGauge;
    SnmpNumber::encode(out);
}

SnmpTimeTicks::SnmpTimeTicks(DecodeCursor& cursor) : SnmpNumber(cursor, kTagTimeTicks, "TimeTick", false) {}
SnmpTimeTicks::SnmpTimeTicks(std::uint32_t value) : SnmpNumber(kTagTimeTicks, "TimeTick", false) { setValue(value); }
void SnmpTimeTicks::encode(std::uint8_t*& out) const {
    *out++ = kTagTimeTicks;
    SnmpNumber::encode(out);
}

}  // namespace quillow
