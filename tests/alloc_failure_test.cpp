// Allocation failure, one allocation at a time: for n = 1, 2, 3, ... the n-th
// allocation of an operation fails (only that one, and in a second round that
// one and every one after it), until the operation runs through without
// meeting a failure. After every step nothing may have crashed or leaked,
// and the result must be whole or absent: a decoded datagram is the full
// message or none, and a message built under failure still encodes to
// exactly its encodedSize with every length matching its content.
//
// This file replaces the global operator new and delete, all forms, so it is
// a test program of its own.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "describe.h"
#include "message/message.h"
#include "message/parser.h"
#include "test_bytes.h"
#include "values/numbers.h"
#include "values/oid.h"
#include "values/strings.h"
#include "wire.h"

namespace {

// The injector. Only the code between arm() and disarm() is counted; the
// test's own bookkeeping stays outside.
struct Injector {
    bool armed = false;
    bool persistent = false;
    std::size_t failAt = 0;
    std::size_t seen = 0;
    bool metFailure = false;
    // The library allocates with new (std::nothrow) only; a throwing form
    // reached while armed is a fault of its own.
    std::size_t throwingCalls = 0;
    // Blocks handed out and not yet returned, over the whole program.
    long live = 0;
};

Injector injector;

void arm(std::size_t failAt, bool persistent) {
    injector.failAt = failAt;
    injector.persistent = persistent;
    injector.seen = 0;
    injector.metFailure = false;
    injector.throwingCalls = 0;
    injector.armed = true;
}

void disarm() { injector.armed = false; }

// Whether the n-th allocation since arm() is to fail; counts it.
bool failsNow(bool throwing) {
    if (!injector.armed) return false;
    if (throwing) ++injector.throwingCalls;
    ++injector.seen;
    if (injector.seen == injector.failAt || (injector.persistent && injector.seen > injector.failAt)) {
        injector.metFailure = true;
        return true;
    }
    return false;
}

void* allocate(std::size_t size, bool throwing) {
    if (failsNow(throwing)) return nullptr;
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) ++injector.live;
    return block;
}

void release(void* block) {
    if (block == nullptr) return;
    --injector.live;
    std::free(block);
}

// Over-aligned blocks are carved out of a larger one, with the start of that
// one kept just before the block (not every C library has aligned_alloc).
void* allocateAligned(std::size_t size, std::align_val_t alignment, bool throwing) {
    const std::size_t a = static_cast<std::size_t>(alignment);
    void* raw = allocate(size + a + sizeof(void*), throwing);
    if (raw == nullptr) return nullptr;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(void*);
    void* block = reinterpret_cast<void*>((start + a - 1) / a * a);
    static_cast<void**>(block)[-1] = raw;
    return block;
}

void releaseAligned(void* block) {
    if (block != nullptr) release(static_cast<void**>(block)[-1]);
}

void* orThrow(void* block) {
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

}  // namespace

void* operator new(std::size_t size) { return orThrow(allocate(size, true)); }
void* operator new[](std::size_t size) { return orThrow(allocate(size, true)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, false); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, false); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }

void* operator new(std::size_t size, std::align_val_t a) { return orThrow(allocateAligned(size, a, true)); }
void* operator new[](std::size_t size, std::align_val_t a) { return orThrow(allocateAligned(size, a, true)); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocateAligned(size, a, false);
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocateAligned(size, a, false);
}
void operator delete(void* block, std::align_val_t) noexcept { releaseAligned(block); }
void operator delete[](void* block, std::align_val_t) noexcept { releaseAligned(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { releaseAligned(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { releaseAligned(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { releaseAligned(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { releaseAligned(block); }

namespace quillow {
namespace {

using test::Bytes;
using test::describe;
using test::hex;
using test::toHex;
namespace w = wire;

// No operation may go on for ever; this many steps are far beyond any here.
constexpr std::size_t kMaxSteps = 5000;

// Calls every accessor a reader of a message has, and reads every text it
// answers to its end, without allocating anything itself. Texts may be null
// while allocations fail; a reader must be able to cope with that, never
// with a crash.
std::size_t touchEveryAccessor(const SnmpMessage& message) {
    std::size_t sum = 0;
    auto read = [&sum](const char* text) {
        if (text != nullptr) sum += std::strlen(text);
    };
    try {
        sum += static_cast<std::size_t>(message.getVersion());
    } catch (int) {
    }
    read(message.getCommunity());
    sum += message.getPduType();
    sum += static_cast<std::size_t>(message.getRequestId() + message.getErrorStatus() + message.getErrorIndex());
    sum += static_cast<std::size_t>(message.getGenericTrap() + message.getSpecificTrap());
    sum += message.getTimeStamp();
    read(message.getAgentAddress());
    read(message.getEnterprise());
    const std::int32_t count = message.getVarbindCount();
    for (std::int32_t i = 0; i <= count + 1; ++i) {
        read(message.getOidText(i));
        read(message.getValueTypeName(i));
        read(message.getValueText(i));
    }
    sum += message.encodedSize();
    return sum;
}

// Checks that every constructed element's content is exactly the sum of its
// children, down to the values, and that the element fills the bytes.
void expectLengthsMatchContent(const Bytes& bytes, std::size_t begin, std::size_t end, const std::string& where) {
    std::size_t at = begin;
    while (at < end) {
        const std::uint8_t tag = bytes[at++];
        ASSERT_LT(at, end) << where << ": no length after tag at " << at - 1;
        std::size_t length = bytes[at++];
        if (length & 0x80) {
            const std::size_t k = length & 0x7F;
            ASSERT_TRUE(k >= 1 && k <= 4 && at + k <= end) << where << ": bad length field at " << at - 1;
            length = 0;
            for (std::size_t i = 0; i < k; ++i) length = (length << 8) | bytes[at++];
        }
        ASSERT_LE(at + length, end) << where << ": element at " << at << " runs past its container";
        const bool constructed = tag == 0x30 || (tag >= 0xA0 && tag <= 0xA7);
        if (constructed) expectLengthsMatchContent(bytes, at, at + length, where);
        at += length;
    }
    EXPECT_EQ(at, end) << where;
}

// One step of a decode: the datagram sits in a heap block of exactly its size
// before the injector is armed, so only the decoder's own allocations count.
TEST(AllocationFailure, DecodingGivesTheWholeMessageOrNone) {
    const std::vector<std::pair<const char*, Bytes>> datagrams = {
        {"response with a binding of every value type",
         w::message(
             1, "harbour", 0xA2, w::basicHeader(77, 0, 0),
             {
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 7, 0}), w::integer(-129)),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), w::octets("core-switch")),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 2, 0}), w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10})),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 4, 20, 1, 1}), w::element(0x40, hex("0A 00 00 01"))),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 1}), w::element(0x41, hex("00 FF FF FF FF"))),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 5, 1}), w::element(0x42, hex("00 FF"))),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), w::element(0x43, hex("64"))),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6, 1}), w::element(0x46, hex("01 00 00 00 05"))),
                 w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 1}), w::element(0x44, hex("61 01 62"))),
                 w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 2}), hex("05 00")),
                 w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 3}), hex("80 00")),
                 w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 4}), hex("81 00")),
                 w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 5}), hex("82 00")),
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 6, 1}), w::element(0x04, hex("00 1A 2B 3C 4D 5E"))),
             })},
        // The tag 0x4F is consumed in the community's place, which leaves the
        // default community in the message.
        {"response that keeps the default community",
         w::element(0x30, w::concat({w::integer(0),
                                     {0x4F},
                                     w::element(0xA2, w::concat({w::basicHeader(77, 0, 0),
                                                                 w::element(0x30, w::varbind(w::oid({1, 3, 6, 1}),
                                                                                             hex("43 01 64")))}))}))},
        {"version 1 trap",
         w::message(0, "harbour", 0xA4,
                    w::trapHeader(w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10}), hex("C0 A8 02 01"), 6, 17, 4200),
                    {w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 1, 3}), w::integer(3)),
                     w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 2, 3}), w::octets("eth2"))})},
    };

    for (const auto& [name, datagram] : datagrams) {
        std::unique_ptr<SnmpMessage> reference =
            MessageParser(datagram.data(), static_cast<std::int32_t>(datagram.size())).release();
        ASSERT_NE(reference, nullptr) << name;
        const std::string expected = describe(*reference);
        const Bytes expectedEncoding = test::encodeExactly(*reference);
        reference.reset();

        std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[datagram.size()]);
        std::memcpy(exact.get(), datagram.data(), datagram.size());

        for (const bool persistent : {false, true}) {
            const char* mode = persistent ? "and every one after it" : "only";
            std::size_t failures = 0;
            std::size_t refused = 0;
            for (std::size_t n = 1;; ++n) {
                ASSERT_LT(n, kMaxSteps) << name << ": the decode never ran through";
                const std::string step = std::string(name) + ", allocation " + std::to_string(n) + " " + mode;
                const long liveBefore = injector.live;
                std::unique_ptr<SnmpMessage> message;
                bool threw = false;
                arm(n, persistent);
                try {
                    message = MessageParser(exact.get(), static_cast<std::int32_t>(datagram.size())).release();
                    if (message != nullptr) touchEveryAccessor(*message);
                } catch (const std::bad_alloc&) {
                    threw = true;
                }
                disarm();
                const bool met = injector.metFailure;

                EXPECT_FALSE(threw) << step << ": bad_alloc escaped from the library";
                EXPECT_EQ(injector.throwingCalls, 0u) << step << ": the library used a throwing operator new";
                if (message != nullptr) {
                    EXPECT_EQ(describe(*message), expected) << step;
                    EXPECT_EQ(toHex(test::encodeExactly(*message)), toHex(expectedEncoding)) << step;
                } else {
                    EXPECT_TRUE(met) << step << ": refused without any failure";
                    ++refused;
                }
                message.reset();
                EXPECT_EQ(injector.live, liveBefore) << step << ": blocks leaked";
                if (!met) break;
                ++failures;
            }
            // The loop really failed allocations, and some of them refused the
            // datagram; otherwise it proved nothing.
            EXPECT_GT(failures, 10u) << name << " " << mode;
            EXPECT_GT(refused, 0u) << name << " " << mode;
        }
    }
}

// Builds a message as a caller does, every allocation checked, and encodes
// it into a buffer of exactly its encodedSize (plus a guard byte that must
// stay untouched).
struct Built {
    std::unique_ptr<SnmpMessage> message;
    std::unique_ptr<std::uint8_t[]> encoding;
    std::size_t size = 0;
};

void addBinding(SnmpMessage& message, const char* name, SnmpValue* value) {
    SnmpOid* oid = new (std::nothrow) SnmpOid(name);
    Varbind* binding = new (std::nothrow) Varbind(oid, value);
    if (binding == nullptr) {
        delete oid;
        delete value;
        return;
    }
    message.addVarbind(binding);
}

// A value of a class that has no constructor from a number (Counter, Gauge,
// Counter64, Opaque), decoded from its element.
SnmpValue* decoded(const Bytes& element) {
    DecodeCursor cursor(element.data(), element.size());
    cursor.readByte();
    return decodeValue(element[0], cursor);
}

struct Recipe {
    const char* name;
    std::uint32_t pduType;
    std::int32_t version;
    Bytes expected;
};

const Bytes kCounter = hex("41 05 00 FF FF FF FF");
const Bytes kGauge = hex("42 02 00 FF");
const Bytes kCounter64 = hex("46 05 01 00 00 00 05");
const Bytes kOpaque = hex("44 03 61 01 62");

void addEveryKindOfBinding(SnmpMessage& message) {
    addBinding(message, "1.3.6.1.2.1.1.1.0", nullptr);
    addBinding(message, "1.3.6.1.2.1.1.7.0", new (std::nothrow) SnmpInteger(-129));
    addBinding(message, "1.3.6.1.2.1.1.5.0", new (std::nothrow) SnmpOctetString("core-switch"));
    addBinding(message, "1.3.6.1.2.1.1.2.0", new (std::nothrow) SnmpOid("1.3.6.1.4.1.8072.3.2.10"));
    addBinding(message, "1.3.6.1.2.1.4.20.1.1", new (std::nothrow) SnmpIpAddress("10.0.0.1"));
    addBinding(message, "1.3.6.1.2.1.1.3.0", new (std::nothrow) SnmpTimeTicks(200));
    addBinding(message, "1.3.6.1.2.1.2.2.1.10.1", decoded(kCounter));
    addBinding(message, "1.3.6.1.2.1.2.2.1.5.1", decoded(kGauge));
    addBinding(message, "1.3.6.1.2.1.31.1.1.1.6.1", decoded(kCounter64));
    addBinding(message, "1.3.6.1.4.1.2021.1", decoded(kOpaque));
}

std::vector<Bytes> everyKindOfBindingOnTheWire() {
    return {
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), hex("05 00")),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 7, 0}), w::integer(-129)),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 5, 0}), w::octets("core-switch")),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 2, 0}), w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10})),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 4, 20, 1, 1}), w::element(0x40, hex("0A 00 00 01"))),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), w::element(0x43, w::unsignedContent(200))),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 1}), kCounter),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 2, 2, 1, 5, 1}), kGauge),
        w::varbind(w::oid({1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6, 1}), kCounter64),
        w::varbind(w::oid({1, 3, 6, 1, 4, 1, 2021, 1}), kOpaque),
    };
}

Built build(const Recipe& recipe) {
    Built built;
    built.message.reset(new (std::nothrow) SnmpMessage(recipe.pduType, recipe.version));
    if (built.message == nullptr) return built;
    SnmpMessage& message = *built.message;
    message.setCommunity("harbour");
    message.setRequestId(123);
    message.setErrorStatus(2);
    message.setErrorIndex(1);
    message.setEnterprise("1.3.6.1.4.1.8072.3.2.10");
    message.setAgentAddress("192.168.2.1");
    message.setGenericTrap(6);
    message.setSpecificTrap(17);
    message.setTimeStamp(4200);
    addEveryKindOfBinding(message);
    message.buildV2TrapVarbinds(4200, "1.3.6.1.4.1.8072.4", 6, 3);

    built.size = message.encodedSize();
    built.encoding.reset(new (std::nothrow) std::uint8_t[built.size + 1]);
    if (built.encoding == nullptr) return built;
    built.encoding[built.size] = 0xEE;
    std::uint8_t* cursor = built.encoding.get();
    message.encode(cursor);
    return built;
}

const std::vector<Recipe>& recipes() {
    static const std::vector<Recipe> all = {
        {"GetRequest", 0xA0, 0,
         w::message(0, "harbour", 0xA0, w::basicHeader(123, 2, 1), everyKindOfBindingOnTheWire())},
        {"SetRequest v2c", 0xA3, 1,
         w::message(1, "harbour", 0xA3, w::basicHeader(123, 2, 1), everyKindOfBindingOnTheWire())},
        {"version 1 trap", 0xA4, 0,
         w::message(0, "harbour", 0xA4,
                    w::trapHeader(w::oid({1, 3, 6, 1, 4, 1, 8072, 3, 2, 10}), hex("C0 A8 02 01"), 6, 17, 4200),
                    everyKindOfBindingOnTheWire())},
        {"version 2 trap", 0xA7, 1, [] {
             std::vector<Bytes> bindings = {
                 w::varbind(w::oid({1, 3, 6, 1, 2, 1, 1, 3, 0}), w::element(0x43, w::unsignedContent(4200))),
                 w::varbind(w::oid({1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0}), w::oid({1, 3, 6, 1, 4, 1, 8072, 4, 0, 3})),
             };
             for (const Bytes& b : everyKindOfBindingOnTheWire()) bindings.push_back(b);
             return w::message(1, "harbour", 0xA7, w::basicHeader(123, 2, 1), bindings);
         }()},
    };
    return all;
}

TEST(AllocationFailure, BuildingAndEncodingStayWholeUnderFailure) {
    for (const Recipe& recipe : recipes()) {
        for (const bool persistent : {false, true}) {
            const char* mode = persistent ? "and every one after it" : "only";
            std::size_t failures = 0;
            for (std::size_t n = 1;; ++n) {
                ASSERT_LT(n, kMaxSteps) << recipe.name << ": building never ran through";
                const std::string step = std::string(recipe.name) + ", allocation " + std::to_string(n) + " " + mode;
                const long liveBefore = injector.live;
                Built built;
                bool threw = false;
                arm(n, persistent);
                try {
                    built = build(recipe);
                    if (built.message != nullptr) touchEveryAccessor(*built.message);
                } catch (const std::bad_alloc&) {
                    threw = true;
                }
                disarm();
                const bool met = injector.metFailure;

                EXPECT_FALSE(threw) << step << ": bad_alloc escaped from the library";
                EXPECT_EQ(injector.throwingCalls, 0u) << step << ": the library used a throwing operator new";
                if (built.encoding != nullptr) {
                    EXPECT_EQ(built.encoding[built.size], 0xEE) << step << ": encode wrote past encodedSize";
                    const Bytes bytes(built.encoding.get(), built.encoding.get() + built.size);
                    expectLengthsMatchContent(bytes, 0, bytes.size(), step);
                    // Whatever was left out, the bytes are a datagram like any
                    // other to the decoder.
                    MessageParser(bytes.data(), static_cast<std::int32_t>(bytes.size())).release();
                    if (!met) {
                        EXPECT_EQ(toHex(bytes), toHex(recipe.expected)) << step;
                    }
                } else {
                    EXPECT_TRUE(met) << step << ": no encoding without any failure";
                }
                built = Built();
                EXPECT_EQ(injector.live, liveBefore) << step << ": blocks leaked";
                if (!met) break;
                ++failures;
            }
            EXPECT_GT(failures, 20u) << recipe.name << " " << mode;
        }
    }
}

// The injector's own paths: over-aligned blocks are aligned and returned.
TEST(AllocationFailure, TheInjectorAlignsAndReturnsOverAlignedBlocks) {
    struct alignas(64) Wide {
        std::uint8_t bytes[64];
    };
    const long liveBefore = injector.live;
    {
        std::unique_ptr<Wide> one(new Wide());
        std::unique_ptr<Wide[]> some(new Wide[3]);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(one.get()) % 64, 0u);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(some.get()) % 64, 0u);
        EXPECT_EQ(injector.live, liveBefore + 2);
    }
    EXPECT_EQ(injector.live, liveBefore);
}

// The guard itself: a throwing operator new reached while armed is seen.
TEST(AllocationFailure, TheInjectorSeesAThrowingNew) {
    arm(1, false);
    bool threw = false;
    try {
        std::unique_ptr<int> plain(new int(5));
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    disarm();
    EXPECT_TRUE(threw);
    EXPECT_EQ(injector.throwingCalls, 1u);
    EXPECT_TRUE(injector.metFailure);
}

}  // namespace
}  // namespace quillow
