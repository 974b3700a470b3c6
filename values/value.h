// SnmpValue: the common base of every typed SNMP value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "../ber/ber.h"
#include "../ber/element.h"

namespace quillow {

// The content bytes of a byte-string value. Short contents, which most
// community names, addresses and object identifiers are, live inside the
// value and cost no allocation of their own; longer ones get a buffer.
class ContentBytes {
public:
    static constexpr std::size_t kInlineSize = 16;

    ContentBytes() = default;
    ContentBytes(const ContentBytes&) = delete;
    ContentBytes& operator=(const ContentBytes&) = delete;

    const std::uint8_t* data() const { return heap_ != nullptr ? heap_.get() : inline_; }
    std::uint8_t operator[](std::size_t i) const { return data()[i]; }

    // Room for n bytes, replacing what was held; null when the buffer for a
    // long content cannot be allocated.
    std::uint8_t* reserve(std::size_t n);

private:
    std::uint8_t inline_[kInlineSize] = {};
    std::unique_ptr<std::uint8_t[]> heap_;
};

class SnmpValue : public BerElement {
public:
    ~SnmpValue() override = default;

    // A buffer of exactly encodedSize() bytes holding the value's encoding;
    // null when the buffer cannot be allocated.
    virtual std::unique_ptr<std::uint8_t[]> encodeToBuffer() const;

    // The printable text form, built on the first call and kept by the value;
    // the caller never frees it. Null only when the text could not be
    // allocated, in which case the next call tries again.
    virtual const char* toText() const = 0;

    // Tag, length field and content: 1 + berLengthFieldSize(n) + n.
    std::size_t encodedSize() const { return berElementSize(contentLength_); }

    std::uint16_t getContentLength() const { return contentLength_; }
    std::uint8_t getTag() const { return tag_; }
    const char* getTypeName() const { return typeName_; }

protected:
    SnmpValue(std::uint8_t tag, const char* typeName) : tag_(tag), typeName_(typeName) {}

    // The caller has consumed the tag byte; this reads the length field and
    // leaves the cursor on the first content byte. A length that promises
    // more bytes than remain, or more than the 16-bit content length can
    // carry, marks the cursor bad and leaves the content empty.
    SnmpValue(DecodeCursor& cursor, std::uint8_t tag, const char* typeName);

    // Copies contentLength_ bytes from the cursor into the content. When the
    // room cannot be allocated the cursor is marked bad and the content is
    // left empty, so the value never claims bytes it does not hold.
    void takeContent(DecodeCursor& cursor, ContentBytes& content);

    // Copies n bytes into the content and sets the content length, or leaves
    // the content empty when the room cannot be allocated.
    void copyContent(const std::uint8_t* bytes, std::size_t n, ContentBytes& content);

    // Writes tag, length field and the content bytes.
    void encodeBytes(std::uint8_t*& out, const std::uint8_t* content) const;

    // Takes a freshly built text as the cached text and returns it.
    const char* keepText(std::unique_ptr<char[]> text) const;

    // Copies a NUL-terminated text into a new cached text.
    const char* keepTextCopy(const char* text, std::size_t length) const;

    std::uint16_t contentLength_ = 0;
    std::uint8_t tag_;
    const char* typeName_;
    mutable std::unique_ptr<char[]> cachedText_;
};

}  // namespace quillow
