// A value that counts how many of its kind are alive, so tests can see that
// owners delete exactly what they own.
#pragma once

#include "values/value.h"

namespace quillow {
namespace test {

class CountingValue : public SnmpValue {
public:
    static inline int alive = 0;
    CountingValue() : SnmpValue(0x04, "Counting") { ++alive; }
    ~CountingValue() override { --alive; }
    void encode(std::uint8_t*& out) const override {
        *out++ = 0x04;
        *out++ = 0x00;
    }
    const char* toText() const override { return "counting"; }
};

}  // namespace test
}  // namespace quillow
