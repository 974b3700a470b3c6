// The byte-string values: OCTET STRING, IpAddress and Opaque.
#pragma once

#include <cstdint>
#include <memory>

#include "value.h"

namespace quillow {

class SnmpOctetString : public SnmpValue {
public:
    explicit SnmpOctetString(DecodeCursor& cursor);
    // The bytes of the text without its terminator. A text longer than
    // 65535 bytes, which the 16-bit content length cannot carry, is cut to
    // its first 65535 bytes, so that the length on the wire always matches
    // the content.
    explicit SnmpOctetString(const char* text);
    ~SnmpOctetString() override = default;

    void encode(std::uint8_t*& out) const override;
    // The content as it is when every byte is printable, tab, line feed or
    // carriage return (a single NUL at the very end allowed); otherwise every
    // byte as two lowercase hexadecimal digits.
    const char* toText() const override;

    const std::uint8_t* getContent() const { return content_.data(); }
    bool isBinary() const { return isBinary_; }

private:
    mutable bool isBinary_ = false;
    ContentBytes content_;
};

class SnmpIpAddress : public SnmpValue {
public:
    // Any content length is accepted from the wire.
    explicit SnmpIpAddress(DecodeCursor& cursor);
    // Four bytes from dotted decimal text, the first part first. Parts that
    // are missing give 0 bytes, and parts beyond the fourth are ignored.
    explicit SnmpIpAddress(const char* text);
    ~SnmpIpAddress() override = default;

    void encode(std::uint8_t*& out) const override;
    // Every content byte in decimal, joined by '.'.
    const char* toText() const override;

    const std::uint8_t* getContent() const { return content_.data(); }

private:
    ContentBytes content_;
};

// Opaque, and the value of every received tag that has no class of its own
// (NULL and the SNMPv2 exceptions among them); it always encodes with 0x44.
class SnmpOpaque : public SnmpValue {
public:
    explicit SnmpOpaque(DecodeCursor& cursor);
    ~SnmpOpaque() override = default;

    void encode(std::uint8_t*& out) const override;
    // One character a byte: printable bytes stand for themselves, every other
    // byte becomes a space.
    const char* toText() const override;

    const std::uint8_t* getContent() const { return content_.data(); }

private:
    ContentBytes content_;
};

}  // namespace quillow
