// Helpers for PDU header fields held as optional owned values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "../ber/ber.h"

namespace quillow {
namespace fields {

template <typename Value>
std::size_t sizeOf(const std::unique_ptr<Value>& field) {
    return field != nullptr ? field->encodedSize() : 0;
}

template <typename Value>
void encodeIfPresent(const std::unique_ptr<Value>& field, std::uint8_t*& out) {
    if (field != nullptr) field->encode(out);
}

// Deletes the field's value, then makes the new one; the field is absent if
// that allocation fails.
template <typename Value, typename Argument>
void replace(std::unique_ptr<Value>& field, Argument argument) {
    field.reset();
    field.reset(new (std::nothrow) Value(argument));
}

// The field's number as the caller's type, or 0 when the field is absent.
template <typename Number, typename Value>
Number numberOf(const std::unique_ptr<Value>& field) {
    return field != nullptr ? static_cast<Number>(field->getValue()) : 0;
}

template <typename Value>
const char* textOf(const std::unique_ptr<Value>& field) {
    return field != nullptr ? field->toText() : nullptr;
}

// Reads a tag and, when it is the expected one, decodes the field's value
// after it; any other tag leaves the field as it was, with the cursor just
// past that tag. A value that cannot be allocated marks the cursor bad.
//
// Every decoded PDU arrives with the values its constructor made, so the
// field's value is nearly always there: it is then destroyed and the decoded
// one built in its place, which is what deleting it and making a new one
// does, less the trip through the allocator. The field only ever holds a
// value of exactly its own class (the PDU makes all of them itself), and
// the decoding constructors do not throw.
template <typename Value>
void decode(DecodeCursor& cursor, std::uint8_t tag, std::unique_ptr<Value>& field) {
    if (berReadTag(cursor) != tag || cursor.bad()) return;
    if (field != nullptr) {
        Value* storage = field.get();
        storage->~Value();
        new (storage) Value(cursor);
        return;
    }
    Value* decoded = new (std::nothrow) Value(cursor);
    if (decoded == nullptr) {
        cursor.markBad();
        return;
    }
    field.reset(decoded);
}

}  // namespace fields
}  // namespace quillow
