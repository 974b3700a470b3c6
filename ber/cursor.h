// The decode cursor: a read position inside received bytes that also knows
// where those bytes end. Every read goes through it, so no decoder can read
// outside a datagram however its lengths lie.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillow {

class DecodeCursor {
public:
    DecodeCursor(const std::uint8_t* bytes, std::size_t size) : begin_(bytes), size_(bytes != nullptr ? size : 0) {}

    // Offset of the next byte to read, counted from the first byte.
    std::size_t offset() const { return offset_; }
    std::size_t size() const { return size_; }
    std::size_t remaining() const { return size_ - offset_; }

    // A cursor goes bad when a read would pass the end, or when the bytes
    // cannot be read as the format requires. A bad cursor stands at the end
    // and every later read through it yields nothing.
    bool good() const { return !bad_; }
    bool bad() const { return bad_; }
    void markBad() {
        bad_ = true;
        offset_ = size_;
    }

    // Reads one byte; at the end it marks the cursor and yields 0.
    std::uint8_t readByte() {
        if (bad_ || offset_ >= size_) {
            markBad();
            return 0;
        }
        return begin_[offset_++];
    }

    // Hands out the next n bytes and moves past them, or marks the cursor and
    // hands out nothing when fewer than n remain.
    const std::uint8_t* take(std::size_t n) {
        if (bad_ || n > size_ - offset_) {
            markBad();
            return nullptr;
        }
        const std::uint8_t* at = begin_ + offset_;
        offset_ += n;
        return at;
    }

    // The byte at the given distance ahead, without moving; -1 past the end.
    int peek(std::size_t ahead) const {
        if (bad_ || ahead >= size_ - offset_) return -1;
        return begin_[offset_ + ahead];
    }

private:
    const std::uint8_t* begin_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool bad_ = false;
};

}  // namespace quillow
