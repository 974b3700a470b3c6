#include "strings.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "dotted.h"

namespace quillow {

namespace {

constexpr std::size_t kMaxContentLength = 0xFFFF;

bool isPrintable(std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7E; }

std::unique_ptr<char[]> newText(std::size_t length) {
    std::unique_ptr<char[]> text(new (std::nothrow) char[length + 1]);
    if (text != nullptr) text[length] = '\0';
    return text;
}

}  // namespace

SnmpOctetString::SnmpOctetString(DecodeCursor& cursor) : SnmpValue(cursor, kTagOctetString, "String") {
    takeContent(cursor, content_);
}

SnmpOctetString::SnmpOctetString(const char* text) : SnmpValue(kTagOctetString, "String") {
    if (text == nullptr) return;
    std::size_t length = std::strlen(text);
    if (length > kMaxContentLength) length = kMaxContentLength;
    copyContent(reinterpret_cast<const std::uint8_t*>(text), length, content_);
}

void SnmpOctetString::encode(std::uint8_t*& out) const { encodeBytes(out, content_.data()); }

const char* SnmpOctetString::toText() const {
    if (cachedText_ != nullptr) return cachedText_.get();
    const std::size_t n = contentLength_;
    const std::uint8_t* bytes = content_.data();
    isBinary_ = false;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == 0x09 || byte == 0x0A || byte == 0x0D || isPrintable(byte)) continue;
        isBinary_ = !(i + 1 == n && byte == 0x00);
        break;
    }
    if (!isBinary_) return keepTextCopy(reinterpret_cast<const char*>(bytes), n);
    std::unique_ptr<char[]> text = newText(2 * n);
    if (text == nullptr) return nullptr;
    static const char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < n; ++i) {
        text[2 * i] = kHex[bytes[i] >> 4];
        text[2 * i + 1] = kHex[bytes[i] & 0x0F];
    }
    return keepText(std::move(text));
}

SnmpIpAddress::SnmpIpAddress(DecodeCursor& cursor) : SnmpValue(cursor, kTagIpAddress, "IpAddress") {
    takeContent(cursor, content_);
}

SnmpIpAddress::SnmpIpAddress(const char* text) : SnmpValue(kTagIpAddress, "IpAddress") {
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    DottedParts parts(text);
    std::uint32_t part = 0;
    for (std::size_t i = 0; i < 4 && parts.next(part); ++i) {
        bytes[i] = static_cast<std::uint8_t>(part & 0xFFu);
    }
    copyContent(bytes, 4, content_);
}

void SnmpIpAddress::encode(std::uint8_t*& out) const { encodeBytes(out, content_.data()); }

const char* SnmpIpAddress::toText() const {
    if (cachedText_ != nullptr) return cachedText_.get();
    const std::size_t n = contentLength_;
    // Three digits and a separator bound every byte.
    std::unique_ptr<char[]> text = newText(4 * n);
    if (text == nullptr) return nullptr;
    std::size_t used = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int written = std::snprintf(text.get() + used, 4 * n + 1 - used, i == 0 ? "%u" : ".%u",
                                          static_cast<unsigned>(content_[i]));
        used += static_cast<std::size_t>(written);
    }
    text[used] = '\0';
    return keepText(std::move(text));
}

SnmpOpaque::SnmpOpaque(DecodeCursor& cursor) : SnmpValue(cursor, kTagOpaque, "Opaque") {
    takeContent(cursor, content_);
}

void SnmpOpaque::encode(std::uint8_t*& out) const { encodeBytes(out, content_.data()); }

const char* SnmpOpaque::toText() const {
    if (cachedText_ != nullptr) return cachedText_.get();
    const std::size_t n = contentLength_;
    std::unique_ptr<char[]> text = newText(n);
    if (text == nullptr) return nullptr;
    for (std::size_t i = 0; i < n; ++i) {
        text[i] = isPrintable(content_[i]) ? static_cast<char>(content_[i]) : ' ';
    }
    return keepText(std::move(text));
}

}  // namespace quillow
