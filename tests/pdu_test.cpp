#include "pdu/pdu.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>

#include "counting_value.h"
#include "pdu/trap.h"
#include "pdu/varbind.h"
#include "test_bytes.h"
#include "values/oid.h"
#include "values/strings.h"

namespace quillow {
namespace {

using test::Bytes;
using test::CountingValue;
using test::hex;
using test::toHex;

std::string encodeHeader(const SnmpPdu& pdu) {
    Bytes bytes(pdu.headerSize() + 8, 0xEE);
    std::uint8_t* cursor = bytes.data();
    pdu.encode(cursor);
    EXPECT_EQ(static_cast<std::size_t>(cursor - bytes.data()), pdu.headerSize());
    bytes.resize(pdu.headerSize());
    return toHex(bytes);
}

std::unique_ptr<Bytes> exactCopy(const std::string& text) { return std::unique_ptr<Bytes>(new Bytes(hex(text))); }

TEST(PduClasses, EachClassCarriesItsTag) {
    const struct {
        std::uint32_t tag;
        bool basic;
    } cases[] = {{0xA0, true}, {0xA1, true}, {0xA2, true}, {0xA3, true}, {0xA4, false}, {0xA6, true}, {0xA7, true}};
    for (const auto& c : cases) {
        std::unique_ptr<SnmpPdu> pdu(makePdu(c.tag));
        ASSERT_NE(pdu, nullptr) << c.tag;
        EXPECT_EQ(pdu->getPduType(), c.tag);
        EXPECT_EQ(dynamic_cast<BasicPdu*>(pdu.get()) != nullptr, c.basic) << c.tag;
    }
    for (std::uint32_t tag : {0xA5u, 0x30u, 0xA8u, 0x1A0u}) EXPECT_EQ(makePdu(tag), nullptr) << tag;
    EXPECT_NE(dynamic_cast<NotificationPdu*>(std::unique_ptr<SnmpPdu>(makePdu(0xA6)).get()), nullptr);
    EXPECT_NE(dynamic_cast<NotificationPdu*>(std::unique_ptr<SnmpPdu>(makePdu(0xA7)).get()), nullptr);
}

TEST(BasicPdu, ANewRequestCarriesTheTimeAsItsRequestId) {
    const std::time_t before = std::time(nullptr);
    GetRequestPdu pdu;
    const std::time_t after = std::time(nullptr);
    EXPECT_GE(pdu.getRequestId(), static_cast<std::int32_t>(before));
    EXPECT_LE(pdu.getRequestId(), static_cast<std::int32_t>(after));
    EXPECT_EQ(pdu.getErrorStatus(), 0);
    EXPECT_EQ(pdu.getErrorIndex(), 0);
    EXPECT_EQ(pdu.headerSize(), 12u);  // a four-byte request-id and two one-byte zeros

    // Two PDUs made within one second carry the same request-id.
    for (;;) {
        const std::time_t second = std::time(nullptr);
        GetRequestPdu a;
        GetNextRequestPdu b;
        if (std::time(nullptr) != second) continue;
        EXPECT_EQ(a.getRequestId(), b.getRequestId());
        break;
    }
}

TEST(BasicPdu, WritesRequestIdErrorStatusAndErrorIndexInOrder) {
    GetResponsePdu pdu;
    pdu.setRequestId(123);
    EXPECT_EQ(encodeHeader(pdu), "02 01 7B 02 01 00 02 01 00");
    pdu.setErrorStatus(2);
    EXPECT_EQ(pdu.getRequestId(), 123);
    EXPECT_EQ(pdu.getErrorIndex(), 0);
    pdu.setErrorIndex(1);
    EXPECT_EQ(pdu.getErrorStatus(), 2);
    EXPECT_EQ(encodeHeader(pdu), "02 01 7B 02 01 02 02 01 01");
    pdu.setRequestId(-70000);
    EXPECT_EQ(encodeHeader(pdu), "02 03 FE EE 90 02 01 02 02 01 01");
}

TEST(BasicPdu, KeepsTheDefaultsOfTheTrapFields) {
    GetResponsePdu pdu;
    pdu.setGenericTrap(3);
    pdu.setSpecificTrap(4);
    pdu.setTimeStamp(5);
    pdu.setEnterprise("1.3.6.1");
    pdu.setAgentAddress("10.0.0.1");
    EXPECT_EQ(pdu.getGenericTrap(), 0);
    EXPECT_EQ(pdu.getSpecificTrap(), 0);
    EXPECT_EQ(pdu.getTimeStamp(), 0u);
    EXPECT_EQ(pdu.getEnterprise(), nullptr);
    EXPECT_EQ(pdu.getAgentAddress(), nullptr);
}

TEST(NotificationPdu, ItsAgentAddressIsAllOnes) {
    InformRequestPdu inform;
    TrapV2Pdu trap;
    trap.setAgentAddress("10.0.0.1");
    EXPECT_STREQ(inform.getAgentAddress(), "255.255.255.255");
    EXPECT_STREQ(trap.getAgentAddress(), "255.255.255.255");
}

TEST(BasicPdu, MakeResponseChangesOnlyTheTag) {
    SetRequestPdu pdu;
    pdu.setRequestId(9);
    pdu.setErrorStatus(1);
    pdu.makeResponse();
    EXPECT_EQ(pdu.getPduType(), 0xA2);
    EXPECT_EQ(pdu.getRequestId(), 9);
    EXPECT_EQ(pdu.getErrorStatus(), 1);
}

TEST(BasicPdu, DecodesItsHeader) {
    const auto bytes = exactCopy("02 01 05 02 01 00 02 01 00 30");
    DecodeCursor cursor(bytes->data(), bytes->size());
    GetResponsePdu pdu;
    pdu.decodeHeader(cursor);
    EXPECT_EQ(pdu.getRequestId(), 5);
    EXPECT_EQ(pdu.getErrorStatus(), 0);
    EXPECT_EQ(pdu.getErrorIndex(), 0);
    EXPECT_EQ(cursor.offset(), 9u);
    EXPECT_TRUE(cursor.good());
}

TEST(BasicPdu, AFieldWithAnotherTagKeepsItsValueAndTheNextReadsOn) {
    // The request-id's tag is 0x41: it keeps its value, and the error-status
    // takes the byte after 0x41 as its tag.
    const auto bytes = exactCopy("41 02 01 07 02 01 09");
    DecodeCursor cursor(bytes->data(), bytes->size());
    GetResponsePdu pdu;
    pdu.setRequestId(77);
    pdu.decodeHeader(cursor);
    EXPECT_EQ(pdu.getRequestId(), 77);
    EXPECT_EQ(pdu.getErrorStatus(), 7);
    EXPECT_EQ(pdu.getErrorIndex(), 9);
    EXPECT_TRUE(cursor.good());
}

TEST(BasicPdu, AHeaderCutShortMarksTheCursor) {
    const auto bytes = exactCopy("02 01 05 02 01");
    DecodeCursor cursor(bytes->data(), bytes->size());
    GetResponsePdu pdu;
    pdu.decodeHeader(cursor);
    EXPECT_TRUE(cursor.bad());
    EXPECT_EQ(pdu.getRequestId(), 5);
}

TEST(TrapPdu, StartsWithEveryFieldAbsent) {
    TrapPdu pdu;
    EXPECT_EQ(pdu.getPduType(), 0xA4);
    EXPECT_EQ(pdu.headerSize(), 0u);
    EXPECT_EQ(encodeHeader(pdu), "");
    EXPECT_EQ(pdu.getGenericTrap(), 0);
    EXPECT_EQ(pdu.getSpecificTrap(), 0);
    EXPECT_EQ(pdu.getTimeStamp(), 0u);
    EXPECT_EQ(pdu.getEnterprise(), nullptr);
    EXPECT_EQ(pdu.getAgentAddress(), nullptr);
    pdu.setRequestId(5);
    pdu.setErrorStatus(5);
    EXPECT_EQ(pdu.getRequestId(), 0);
    EXPECT_EQ(pdu.getErrorStatus(), 0);
}

TEST(TrapPdu, WritesItsFiveFieldsInWireOrder) {
    TrapPdu pdu;
    pdu.setTimeStamp(100);
    pdu.setSpecificTrap(1);
    pdu.setGenericTrap(3);
    pdu.setGenericTrap(6);  // the second value replaces the first
    pdu.setAgentAddress("192.168.2.1");
    pdu.setEnterprise("1.3.6.1.6.3.1.1.5");
    EXPECT_EQ(encodeHeader(pdu), "06 08 2B 06 01 06 03 01 01 05 40 04 C0 A8 02 01 02 01 06 02 01 01 43 01 64");
    EXPECT_STREQ(pdu.getEnterprise(), "1.3.6.1.6.3.1.1.5");
    EXPECT_STREQ(pdu.getAgentAddress(), "192.168.2.1");
    EXPECT_EQ(pdu.getGenericTrap(), 6);
    EXPECT_EQ(pdu.getSpecificTrap(), 1);
    EXPECT_EQ(pdu.getTimeStamp(), 100u);

    const auto bytes = exactCopy(encodeHeader(pdu));
    DecodeCursor cursor(bytes->data(), bytes->size());
    TrapPdu decoded;
    decoded.decodeHeader(cursor);
    EXPECT_TRUE(cursor.good());
    EXPECT_EQ(cursor.remaining(), 0u);
    EXPECT_EQ(encodeHeader(decoded), encodeHeader(pdu));
}

TEST(TrapPdu, AMissingAgentAddressPutsTheFollowingRowsOutOfStep) {
    // Enterprise, then the generic-trap INTEGER at once: the agent-addr row
    // reads 0x02 and stays absent; the generic-trap row then takes the
    // INTEGER's length byte as its tag, and so on.
    const auto bytes = exactCopy("06 03 2B 06 01 02 01 06 02 01 01 43 01 64");
    DecodeCursor cursor(bytes->data(), bytes->size());
    TrapPdu pdu;
    pdu.decodeHeader(cursor);
    EXPECT_STREQ(pdu.getEnterprise(), "1.3.6.1");
    EXPECT_EQ(pdu.getAgentAddress(), nullptr);
    EXPECT_EQ(pdu.getGenericTrap(), 0);
    EXPECT_EQ(pdu.getSpecificTrap(), 0);
    EXPECT_EQ(pdu.getTimeStamp(), 0u);
    EXPECT_EQ(cursor.offset(), 9u);
}

// Varbinds and their list.

Varbind* binding(const char* oid, SnmpValue* value = nullptr) { return new Varbind(new SnmpOid(oid), value); }

std::string encoded(const BerElement& element, std::size_t size) {
    Bytes bytes(size + 4, 0xEE);
    std::uint8_t* cursor = bytes.data();
    element.encode(cursor);
    EXPECT_EQ(static_cast<std::size_t>(cursor - bytes.data()), size);
    bytes.resize(static_cast<std::size_t>(cursor - bytes.data()));
    return toHex(bytes);
}

TEST(Varbind, AnAbsentValueGoesOutAsNull) {
    std::unique_ptr<Varbind> varbind(binding("1.3.6.1.2.1.1.1.0"));
    EXPECT_EQ(varbind->encodedSize(), 14u);
    EXPECT_EQ(encoded(*varbind, 14), "30 0C 06 08 2B 06 01 02 01 01 01 00 05 00");

    VarbindList list;
    list.append(varbind.release());
    EXPECT_EQ(list.encodedSize(), 16u);
    EXPECT_EQ(encoded(list, 16), "30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00");

    Varbind empty;
    EXPECT_EQ(encoded(empty, 4), "30 02 05 00");
    VarbindList none;
    EXPECT_EQ(encoded(none, 2), "30 00");
}

TEST(Varbind, ContentAroundTheLongLengthFormBoundary) {
    // Name 1.3 takes three bytes; a string of n bytes takes n + 2.
    const struct {
        std::size_t stringLength;
        std::size_t size;
        const char* header;
    } varbindCases[] = {{121, 128, "30 7E"}, {122, 130, "30 81 7F"}};
    for (const auto& c : varbindCases) {
        const std::string text(c.stringLength, 'v');
        Varbind varbind(new SnmpOid("1.3"), new SnmpOctetString(text.c_str()));
        EXPECT_EQ(varbind.encodedSize(), c.size);
        EXPECT_EQ(encoded(varbind, c.size).substr(0, std::string(c.header).size()), c.header);
    }
    const struct {
        std::size_t stringLength;
        std::size_t size;
        const char* header;
    } listCases[] = {{119, 128, "30 7E 30 7C"}, {120, 130, "30 81 7F 30 7D"}};
    for (const auto& c : listCases) {
        const std::string text(c.stringLength, 'l');
        VarbindList list;
        list.append(new Varbind(new SnmpOid("1.3"), new SnmpOctetString(text.c_str())));
        EXPECT_EQ(list.encodedSize(), c.size);
        EXPECT_EQ(encoded(list, c.size).substr(0, std::string(c.header).size()), c.header);
    }
}

std::string names(const VarbindList& list) {
    std::string text;
    for (const Varbind* v = list.getHead(); v != nullptr; v = v->getNext()) {
        if (!text.empty()) text += " ";
        text += v->getName()->toText();
    }
    return text;
}

TEST(VarbindList, AppendsBindingsAndWholeChains) {
    VarbindList list;
    Varbind* first = binding("1.1");
    EXPECT_EQ(list.append(first), first);
    EXPECT_EQ(list.append(binding("1.2")), nullptr);
    list.append(binding("1.3"));
    list.append(nullptr);
    list.append(binding("1.4"));
    EXPECT_EQ(names(list), "1.1 1.2 1.3 1.4");

    VarbindList chain;
    chain.append(binding("2.5"));
    chain.append(binding("2.6"));
    list.append(chain.replaceHead(nullptr));
    EXPECT_EQ(names(list), "1.1 1.2 1.3 1.4 2.5 2.6");
    EXPECT_EQ(list.count(), 6);
    list.append(binding("2.7"));  // appending after a chain goes to its end
    EXPECT_EQ(names(list), "1.1 1.2 1.3 1.4 2.5 2.6 2.7");
    EXPECT_STREQ(list.at(5)->getName()->toText(), "2.5");
    EXPECT_EQ(list.at(0), nullptr);
    EXPECT_EQ(list.at(8), nullptr);
}

TEST(VarbindList, PutsTwoBindingsInFront) {
    VarbindList empty;
    EXPECT_EQ(empty.replaceHead(binding("1.1")), nullptr);
    empty.append(binding("1.2"));
    EXPECT_EQ(names(empty), "1.1 1.2");

    VarbindList list;
    list.append(binding("2.1"));
    list.append(binding("2.2"));
    Varbind* former = list.replaceHead(binding("1.1"));
    list.append(binding("1.2"));
    list.append(former);
    EXPECT_EQ(names(list), "1.1 1.2 2.1 2.2");
    list.append(binding("2.3"));
    EXPECT_EQ(names(list), "1.1 1.2 2.1 2.2 2.3");
}

TEST(VarbindList, DestroyingTheListFreesEveryBindingWithItsNameAndValue) {
    CountingValue::alive = 0;
    {
        VarbindList list;
        for (int i = 0; i < 3; ++i) list.append(new Varbind(new CountingValue(), new CountingValue()));
        EXPECT_EQ(CountingValue::alive, 6);
    }
    EXPECT_EQ(CountingValue::alive, 0);
}

TEST(Varbind, ReplacingANameOrValueFreesTheOneBefore) {
    CountingValue::alive = 0;
    {
        Varbind varbind;
        varbind.setName(new CountingValue());
        varbind.setValue(new CountingValue());
        varbind.setValue(new CountingValue());
        SnmpValue* kept = varbind.getValue();
        varbind.setValue(kept);  // the same object again is kept, not freed
        EXPECT_EQ(varbind.getValue(), kept);
        EXPECT_EQ(CountingValue::alive, 2);
    }
    EXPECT_EQ(CountingValue::alive, 0);
}

}  // namespace
}  // namespace quillow
