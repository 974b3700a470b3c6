#include "oid.h"

#include <cstdio>
#include <new>

#include "dotted.h"

namespace quillow {

namespace {

// The first subidentifier for the pair X.Y, or false when the pair has no
// faithful encoding.
bool firstSubidentifier(std::uint32_t x, std::uint32_t y, std::uint32_t& out) {
    if (x > 2) return false;
    if (x < 2 && y > 39) return false;
    const std::uint64_t combined = 40ull * x + y;
    if (combined > 0xFFFFFFFFull) return false;
    out = static_cast<std::uint32_t>(combined);
    return true;
}

}  // namespace

SnmpOid::SnmpOid(DecodeCursor& cursor) : SnmpValue(cursor, kTagObjectIdentifier, "OID") {
    takeContent(cursor, content_);
}

SnmpOid::SnmpOid(const char* text) : SnmpValue(kTagObjectIdentifier, "OID") {
    // First pass: check the text and size the content.
    DottedParts parts(text);
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t first = 0;
    if (!parts.next(x) || !parts.next(y) || !firstSubidentifier(x, y, first)) return;
    std::size_t size = berSubidentifierSize(first);
    std::uint32_t arc = 0;
    while (parts.next(arc)) {
        size += berSubidentifierSize(arc);
        if (size > kMaxTextContent) return;
    }

    // Second pass: write it.
    std::uint8_t* content = content_.reserve(size);
    if (content == nullptr) return;
    DottedParts again(text);
    again.next(x);
    again.next(y);
    std::size_t used = berWriteSubidentifier(content, first);
    while (again.next(arc)) used += berWriteSubidentifier(content + used, arc);
    contentLength_ = static_cast<std::uint16_t>(used);
}

void SnmpOid::encode(std::uint8_t*& out) const { encodeBytes(out, content_.data()); }

const char* SnmpOid::toText() const {
    if (cachedText_ != nullptr) return cachedText_.get();
    const std::size_t n = contentLength_;
    // Ten digits and a separator bound every content byte.
    const std::size_t capacity = 11 * n + 1;
    std::unique_ptr<char[]> text(new (std::nothrow) char[capacity]);
    if (text == nullptr) return nullptr;
    text[0] = '\0';
    std::size_t used = 0;
    DecodeCursor cursor(content_.data(), n);
    bool firstArc = true;
    while (cursor.remaining() > 0) {
        const std::uint32_t sub = berReadSubidentifier(cursor);
        if (cursor.bad()) break;
        int written = 0;
        if (firstArc) {
            const std::uint32_t x = sub < 40 ? 0 : sub < 80 ? 1 : 2;
            written = std::snprintf(text.get(), capacity, "%u.%u", static_cast<unsigned>(x),
                                    static_cast<unsigned>(sub - 40 * x));
            firstArc = false;
        } else {
            written = std::snprintf(text.get() + used, capacity - used, ".%u", static_cast<unsigned>(sub));
        }
        used += static_cast<std::size_t>(written);
    }
    return keepText(std::move(text));
}

}  // namespace quillow
