// The base of everything that encodes itself: values, variable bindings,
// their list, PDUs and messages.
#pragma once

#include <cstdint>

namespace quillow {

class BerElement {
public:
    BerElement() = default;
    BerElement(const BerElement&) = delete;
    BerElement& operator=(const BerElement&) = delete;
    virtual ~BerElement() = default;

    // Writes the element at the output cursor and moves the cursor past it.
    // The caller guarantees room for the element's encoded size.
    virtual void encode(std::uint8_t*& out) const = 0;
};

// Two's-complement reading of a 32-bit pattern, without relying on how the
// compiler converts out-of-range values.
inline std::int32_t toSigned32(std::uint32_t bits) {
    return bits <= 0x7FFFFFFFu ? static_cast<std::int32_t>(bits)
                               : static_cast<std::int32_t>(static_cast<std::int64_t>(bits) - 0x100000000LL);
}

}  // namespace quillow
