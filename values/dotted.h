// Reading dotted text: object identifiers and IPv4 addresses.
#pragma once

#include <cstdint>

namespace quillow {

// Reads a decimal number the way the C library's atoi reads it: leading white
// space, one optional sign, then digits up to the first other character. The
// result is taken modulo 2^32, so "-1" gives 4294967295 and no text overflows.
std::uint32_t readDecimal(const char* text);

// Walks the parts of a text split at '.', skipping empty parts, and reads
// each part with readDecimal.
class DottedParts {
public:
    explicit DottedParts(const char* text) : at_(text != nullptr ? text : "") {}

    // Gives the next part's number; false when no part is left.
    bool next(std::uint32_t& value);

private:
    const char* at_;
};

}  // namespace quillow
