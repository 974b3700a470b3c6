// Counter64: the SNMPv2 64-bit counter.
#pragma once

#include <cstdint>

#include "value.h"

namespace quillow {

class SnmpNumber64 : public SnmpValue {
public:
    // Writes the length field and the content bytes, but no tag.
    void encode(std::uint8_t*& out) const override;
    const char* toText() const override;

    virtual std::uint64_t getValue() const { return value_; }
    // Stores the value with the smallest unsigned size, 1 to 8 bytes, and
    // discards a text built earlier.
    virtual void setValue(std::uint64_t value);

protected:
    SnmpNumber64(DecodeCursor& cursor, std::uint8_t tag, const char* typeName);

private:
    std::uint64_t value_ = 0;
};

class SnmpCounter64 : public SnmpNumber64 {
public:
    explicit SnmpCounter64(DecodeCursor& cursor);
    ~SnmpCounter64() override = default;
    void encode(std::uint8_t*& out) const override;
};

}  // namespace quillow
