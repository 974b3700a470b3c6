// The 32-bit numbers: INTEGER, Counter, Gauge and TimeTicks.
#pragma once

#include <cstdint>

#include "value.h"

namespace quillow {

// The shared base of the 32-bit numbers. It holds the value as a 32-bit
// pattern, which SnmpInteger reads as signed and the others as unsigned.
class SnmpNumber : public SnmpValue {
public:
    // Writes the length field and the content bytes, but no tag: each
    // concrete class writes its tag and then calls this.
    void encode(std::uint8_t*& out) const override;
    const char* toText() const override;

    // The value as its class reads it: -2147483648 to 2147483647 for
    // SnmpInteger, 0 to 4294967295 for the others.
    virtual std::int64_t getValue() const;

    // Stores the low 32 bits of the value and sets the content length to the
    // smallest two's-complement size, 1 to 4 bytes. Unsigned numbers from
    // 0xFF800000 up keep all 4 bytes, since a shorter form would read back as
    // a different number. A text built earlier is discarded, so the text
    // always shows the current value.
    virtual void setValue(std::int64_t value);

protected:
    SnmpNumber(std::uint8_t tag, const char* typeName, bool isSigned) : SnmpValue(tag, typeName), signed_(isSigned) {}
    // Reads the length field and the content, keeping the content length as
    // it came, so the number encodes again to the same length.
    SnmpNumber(DecodeCursor& cursor, std::uint8_t tag, const char* typeName, bool isSigned);

private:
    std::uint32_t bits_ = 0;
    bool signed_;
};

class SnmpInteger : public SnmpNumber {
public:
    explicit SnmpInteger(DecodeCursor& cursor);
    explicit SnmpInteger(std::int32_t value);
    ~SnmpInteger() override = default;
    void encode(std::uint8_t*& out) const override;
};

class SnmpCounter : public SnmpNumber {
public:
    explicit SnmpCounter(DecodeCursor& cursor);
    ~SnmpCounter() override = default;
    void encode(std::uint8_t*& out) const override;
};

class SnmpGauge : public SnmpNumber {
public:
    explicit SnmpGauge(DecodeCursor& cursor);
    ~SnmpGauge() override = default;
    void encode(std::uint8_t*& out) const override;
};

class SnmpTimeTicks : public SnmpNumber {
public:
    explicit SnmpTimeTicks(DecodeCursor& cursor);
    explicit SnmpTimeTicks(std::uint32_t value);
    ~SnmpTimeTicks() override = default;
    void encode(std::uint8_t*& out) const override;
};

}  // namespace quillow
