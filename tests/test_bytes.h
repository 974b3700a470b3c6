// Small helpers for writing expected bytes as they travel on the wire.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quillow {
namespace test {

using Bytes = std::vector<std::uint8_t>;

// "30 0C 06 08" -> {0x30, 0x0C, 0x06, 0x08}; white space and commas between
// bytes are ignored.
inline Bytes hex(const std::string& text) {
    Bytes bytes;
    int high = -1;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) continue;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    return bytes;
}

inline std::string toHex(const Bytes& bytes) {
    std::string text;
    char part[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(part, sizeof part, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += part;
    }
    return text;
}

// Encodes an element into a buffer of exactly its encodedSize, and checks
// through the returned size that the encoder wrote exactly that much.
template <typename Element>
Bytes encodeExactly(const Element& element, std::size_t* written = nullptr) {
    Bytes bytes(element.encodedSize(), 0);
    std::uint8_t* cursor = bytes.data();
    element.encode(cursor);
    if (written != nullptr) *written = static_cast<std::size_t>(cursor - bytes.data());
    return bytes;
}

}  // namespace test
}  // namespace quillow
