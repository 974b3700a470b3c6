#include "value.h"

#include <cstring>
#include <new>

namespace quillow {

namespace {
constexpr std::uint32_t kMaxContentLength = 0xFFFF;
}

SnmpValue::SnmpValue(DecodeCursor& cursor, std::uint8_t tag, const char* typeName) : tag_(tag), typeName_(typeName) {
    const std::uint32_t length = berReadLength(cursor);
    if (cursor.bad()) return;
    if (length > kMaxContentLength || length > cursor.remaining()) {
        cursor.markBad();
        return;
    }
    contentLength_ = static_cast<std::uint16_t>(length);
}

std::uint8_t* ContentBytes::reserve(std::size_t n) {
    if (n <= kInlineSize) {
        heap_.reset();
        return inline_;
    }
    heap_.reset(new (std::nothrow) std::uint8_t[n]);
    return heap_.get();
}

void SnmpValue::takeContent(DecodeCursor& cursor, ContentBytes& content) {
    const std::size_t n = contentLength_;
    const std::uint8_t* bytes = cursor.take(n);
    if (bytes == nullptr) {
        contentLength_ = 0;
        return;
    }
    copyContent(bytes, n, content);
    if (contentLength_ != n) cursor.markBad();
}

void SnmpValue::copyContent(const std::uint8_t* bytes, std::size_t n, ContentBytes& content) {
    std::uint8_t* room = content.reserve(n);
    if (room == nullptr) {
        contentLength_ = 0;
        return;
    }
    if (n > 0) std::memcpy(room, bytes, n);
    contentLength_ = static_cast<std::uint16_t>(n);
}

void SnmpValue::encodeBytes(std::uint8_t*& out, const std::uint8_t* content) const {
    *out++ = tag_;
    berWriteLength(out, contentLength_);
    if (contentLength_ > 0) {
        std::memcpy(out, content, contentLength_);
        out += contentLength_;
    }
}

std::unique_ptr<std::uint8_t[]> SnmpValue::encodeToBuffer() const {
    const std::size_t size = encodedSize();
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[size]);
    if (buffer == nullptr) return nullptr;
    std::uint8_t* cursor = buffer.get();
    encode(cursor);
    return buffer;
}

const char* SnmpValue::keepText(std::unique_ptr<char[]> text) const {
    if (text == nullptr) return nullptr;
    cachedText_ = std::move(text);
    return cachedText_.get();
}

const char* SnmpValue::keepTextCopy(const char* text, std::size_t length) const {
    std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
    if (copy == nullptr) return nullptr;
    if (length > 0) std::memcpy(copy.get(), text, length);
    copy[length] = '\0';
    return keepText(std::move(copy));
}

}  // namespace quillow
