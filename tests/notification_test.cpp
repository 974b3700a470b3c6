// The one view of SNMPv1 and SNMPv2 notifications that a message gives, and
// the leading bindings that buildV2TrapVarbinds puts in front of a v2 trap.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "message/message.h"
#include "message/parser.h"
#include "pdu/trap.h"
#include "test_bytes.h"
#include "values/numbers.h"
#include "values/oid.h"
#include "values/strings.h"

namespace quillow {
namespace {

using test::Bytes;
using test::encodeExactly;
using test::hex;
using test::toHex;

constexpr const char* kSysUpTime = "1.3.6.1.2.1.1.3.0";
constexpr const char* kSnmpTrapOid = "1.3.6.1.6.3.1.1.4.1.0";

Varbind* stringBinding(const char* name, const char* text) {
    return new Varbind(new SnmpOid(name), new SnmpOctetString(text));
}

std::unique_ptr<SnmpMessage> decode(const Bytes& bytes) {
    MessageParser parser(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    return parser.release();
}

// What a text getter answered, with a null text told apart from every text.
std::string textOrNull(const char* text) { return text != nullptr ? std::string("\"") + text + "\"" : "null"; }

// --- buildV2TrapVarbinds ---------------------------------------------------

struct TrapOidCase {
    std::int32_t generic;
    std::int32_t specific;
    const char* enterprise;
    const char* trapOid;        // the value of snmpTrapOID.0 that is built
    std::int32_t specificRead;  // what getSpecificTrap reads back from it
};

// A long enterprise with the longest number text behind it shows that the
// enterprise form's buffer holds every input.
const std::string kLongEnterprise = [] {
    std::string text = "1.3.6.1.4.1";
    for (int i = 0; i < 120; ++i) text += ".4294967295";
    return text;
}();

const TrapOidCase kTrapOidCases[] = {
    // Generic-trap 0 to 5 names one of the six standard traps; the enterprise
    // is not used.
    {0, 0, "1.3.6.1.4.1.99", "1.3.6.1.6.3.1.1.5.1", 1},
    {2, 0, "1.3.6.1.4.1.99", "1.3.6.1.6.3.1.1.5.3", 3},
    {2, 44, nullptr, "1.3.6.1.6.3.1.1.5.3", 3},
    {5, 9, "1.3.6.1.4.1.99", "1.3.6.1.6.3.1.1.5.6", 6},
    // Every other generic-trap gives enterprise.0.specific.
    {6, 17, "1.3.6.1.6.3.1.1.5", "1.3.6.1.6.3.1.1.5.0.17", 17},
    {-1, 4, "1.3.6.1.4.1.32473", "1.3.6.1.4.1.32473.0.4", 4},
    {7, 0, "1.3.6.1.4.1.32473.2", "1.3.6.1.4.1.32473.2.0.0", 0},
    {6, 2147483647, "1.3.6.1.4.1.32473", "1.3.6.1.4.1.32473.0.2147483647", 2147483647},
    // A negative specific-trap becomes the arc with the same 32 bits, which
    // reads back as the number it came from.
    {6, -1, "1.3.6.1.4.1.32473", "1.3.6.1.4.1.32473.0.4294967295", -1},
    {-2147483647 - 1, -2147483647 - 1, "1.3.6.1.4.1.32473", "1.3.6.1.4.1.32473.0.2147483648", -2147483647 - 1},
};

class BuildV2TrapVarbinds : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(BuildV2TrapVarbinds, PutsSysUpTimeAndTrapOidIntoAnEmptyList) {
    for (const TrapOidCase& c : kTrapOidCases) {
        SCOPED_TRACE(std::string("generic ") + std::to_string(c.generic) + ", specific " + std::to_string(c.specific));
        SnmpMessage message(GetParam(), 1);
        message.buildV2TrapVarbinds(500, c.enterprise, c.generic, c.specific);

        ASSERT_EQ(message.getVarbindCount(), 2);
        EXPECT_STREQ(message.getOidText(1), kSysUpTime);
        EXPECT_STREQ(message.getValueTypeName(1), "TimeTick");
        EXPECT_STREQ(message.getValueText(1), "500");
        EXPECT_STREQ(message.getOidText(2), kSnmpTrapOid);
        EXPECT_STREQ(message.getValueTypeName(2), "OID");
        EXPECT_STREQ(message.getValueText(2), c.trapOid);
        EXPECT_EQ(message.getGenericTrap(), 6);
        EXPECT_EQ(message.getSpecificTrap(), c.specificRead);
    }
}

TEST_P(BuildV2TrapVarbinds, HoldsTheLongestNumberBehindALongEnterprise) {
    SnmpMessage message(GetParam(), 1);
    message.buildV2TrapVarbinds(0, kLongEnterprise.c_str(), 6, -2147483647 - 1);
    EXPECT_EQ(std::string(message.getValueText(2)), kLongEnterprise + ".0.2147483648");
    EXPECT_EQ(message.getSpecificTrap(), -2147483647 - 1);
}

TEST_P(BuildV2TrapVarbinds, PutsTheNewBindingsBeforeTheFormerOnesInTheirOrder) {
    SnmpMessage message(GetParam(), 1);
    message.addVarbind(stringBinding("1.3.6.1.2.1.1.5.0", "first"));
    message.addVarbind(stringBinding("1.3.6.1.2.1.1.6.0", "second"));
    message.buildV2TrapVarbinds(42, "1.3.6.1.4.1.32473", 6, 3);

    ASSERT_EQ(message.getVarbindCount(), 4);
    EXPECT_STREQ(message.getOidText(1), kSysUpTime);
    EXPECT_STREQ(message.getValueText(1), "42");
    EXPECT_STREQ(message.getOidText(2), kSnmpTrapOid);
    EXPECT_STREQ(message.getValueText(2), "1.3.6.1.4.1.32473.0.3");
    EXPECT_STREQ(message.getOidText(3), "1.3.6.1.2.1.1.5.0");
    EXPECT_STREQ(message.getValueText(3), "first");
    EXPECT_STREQ(message.getOidText(4), "1.3.6.1.2.1.1.6.0");
    EXPECT_STREQ(message.getValueText(4), "second");

    // The list's end moved along: a binding added afterwards goes last.
    message.addVarbind(stringBinding("1.3.6.1.2.1.1.4.0", "third"));
    ASSERT_EQ(message.getVarbindCount(), 5);
    EXPECT_STREQ(message.getValueText(5), "third");
}

INSTANTIATE_TEST_SUITE_P(V2Notifications, BuildV2TrapVarbinds,
                         ::testing::Values(std::uint32_t{kTagTrapV2}, std::uint32_t{kTagInformRequest}));

TEST(BuildV2TrapVarbindsEncoding, WritesTheTwoBindingsAsTheyTravel) {
    SnmpMessage message(kTagTrapV2, 1);
    message.setRequestId(1);
    message.buildV2TrapVarbinds(500, "1.3.6.1.4.1.99", 2, 0);
    EXPECT_EQ(toHex(encodeExactly(message)),
              toHex(hex("30 41, 02 01 01, 04 06 74 75 6E 64 72 61,"
                        " A7 34, 02 01 01, 02 01 00, 02 01 00,"
                        " 30 29,"
                        "   30 0E, 06 08 2B 06 01 02 01 01 03 00, 43 02 01 F4,"
                        "   30 17, 06 0A 2B 06 01 06 03 01 01 04 01 00, 06 09 2B 06 01 06 03 01 01 05 03")));
}

// A message that is not a v2 notification by its recorded type is left as it
// was, bytes and all.
TEST(BuildV2TrapVarbindsRefuses, ChangesNothingOnOtherRecordedTypes) {
    const std::uint32_t types[] = {kTagTrap, kTagGetRequest, kTagGetResponse, kTagGetBulkRequest, 0xA8};
    for (const std::uint32_t type : types) {
        SCOPED_TRACE(type);
        SnmpMessage message(type, 1);
        message.setRequestId(9);
        message.addVarbind(stringBinding("1.3.6.1.2.1.1.5.0", "kept"));
        const Bytes before = encodeExactly(message);
        message.buildV2TrapVarbinds(500, "1.3.6.1.4.1.99", 6, 1);
        EXPECT_EQ(message.getVarbindCount(), 1);
        EXPECT_EQ(toHex(encodeExactly(message)), toHex(before));
    }
}

TEST(BuildV2TrapVarbindsRefuses, ChangesNothingOnADecodedNotification) {
    // A v2 trap as it comes from the wire: its PDU is a TrapV2Pdu, but the
    // decoded message records no PDU type.
    const Bytes wire =
        hex("30 2E, 02 01 01, 04 07 68 61 72 62 6F 75 72,"
            " A7 20, 02 01 07, 02 01 00, 02 01 00,"
            " 30 15, 30 13, 06 0A 2B 06 01 06 03 01 01 04 01 00, 06 05 2B 06 01 04 01");
    std::unique_ptr<SnmpMessage> message = decode(wire);
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(message->getPduType(), kTagTrapV2);
    EXPECT_EQ(message->getRecordedPduType(), 0u);

    message->buildV2TrapVarbinds(500, "1.3.6.1.4.1.99", 6, 1);
    EXPECT_EQ(message->getVarbindCount(), 1);
    EXPECT_EQ(toHex(encodeExactly(*message)), toHex(wire));
}

TEST(BuildV2TrapVarbindsRefuses, GoesByTheRecordedTypeNotThePduObject) {
    // Recorded as a request, holding a v2 trap PDU: nothing is built.
    SnmpMessage request(kTagGetRequest, 1);
    request.setPdu(new TrapV2Pdu());
    request.buildV2TrapVarbinds(500, "1.3.6.1.4.1.99", 2, 0);
    EXPECT_EQ(request.getVarbindCount(), 0);

    // Recorded as a v2 trap, holding a request PDU: the bindings are built.
    SnmpMessage trap(kTagTrapV2, 1);
    trap.setPdu(new GetRequestPdu());
    trap.buildV2TrapVarbinds(500, "1.3.6.1.4.1.99", 2, 0);
    EXPECT_EQ(trap.getVarbindCount(), 2);
    EXPECT_STREQ(trap.getValueText(2), "1.3.6.1.6.3.1.1.5.3");
}

// --- getSpecificTrap of a v2 notification ----------------------------------

struct SecondBindingCase {
    const char* text;  // the second binding's value, as an OCTET STRING
    std::int32_t specific;
};

// The number after the last '.', read as atoi reads it.
const SecondBindingCase kSecondBindingCases[] = {
    {"1.3.6.1.4.1.9.0.42", 42},
    {"1.3.6.1.4.1.9.0.42junk", 42},
    {"no dot here", 0},
    {"", 0},
    {"1.2.", 0},
    {"1.2.x7", 0},
    {"v1.5.  \t+12abc", 12},
    {"trap. -7", -7},
    {"a.-", 0},
    {"1.2.3.0099", 99},
    {"9.8.4294967295", -1},
};

TEST(V2NotificationSpecificTrap, ReadsTheNumberAfterTheLastDotOfBindingTwo) {
    for (const SecondBindingCase& c : kSecondBindingCases) {
        SCOPED_TRACE(c.text);
        SnmpMessage message(kTagTrapV2, 1);
        message.addVarbind(stringBinding(kSysUpTime, "first"));
        message.addVarbind(stringBinding(kSnmpTrapOid, c.text));
        EXPECT_EQ(message.getSpecificTrap(), c.specific);
    }
}

TEST(V2NotificationSpecificTrap, ReadsAnyKindOfValueThroughItsText) {
    SnmpMessage message(kTagInformRequest, 1);
    message.addVarbind(stringBinding(kSysUpTime, "first"));
    message.addVarbind(new Varbind(new SnmpOid(kSnmpTrapOid), new SnmpIpAddress("10.0.0.9")));
    EXPECT_EQ(message.getSpecificTrap(), 9);
}

TEST(V2NotificationSpecificTrap, IsZeroWithoutASecondBindingOrItsValue) {
    SnmpMessage none(kTagTrapV2, 1);
    EXPECT_EQ(none.getSpecificTrap(), 0);

    SnmpMessage one(kTagTrapV2, 1);
    one.addVarbind(stringBinding(kSysUpTime, "1.3.6.1.4.1.9.0.42"));
    EXPECT_STREQ(one.getValueText(2), "NULL");
    EXPECT_EQ(one.getSpecificTrap(), 0);

    SnmpMessage valueless(kTagTrapV2, 1);
    valueless.addVarbind(stringBinding(kSysUpTime, "first"));
    valueless.addVarbind(new Varbind(new SnmpOid("1.3.6.1.4.1.9.0.42"), nullptr));
    EXPECT_EQ(valueless.getSpecificTrap(), 0);
}

// --- the other getters and the setters -------------------------------------

TEST(V2NotificationView, AnswersTheFixedFieldsAndIgnoresTheV1Setters) {
    for (const std::uint32_t type : {std::uint32_t{kTagTrapV2}, std::uint32_t{kTagInformRequest}}) {
        SCOPED_TRACE(type);
        SnmpMessage message(type, 1);
        message.setGenericTrap(3);
        message.setSpecificTrap(5);
        message.setTimeStamp(77);
        message.setAgentAddress("10.1.2.3");
        message.setEnterprise("1.3.6.1.4.1.99");

        EXPECT_EQ(message.getGenericTrap(), 6);
        EXPECT_EQ(message.getSpecificTrap(), 0);
        EXPECT_EQ(message.getTimeStamp(), 0u);
        EXPECT_EQ(textOrNull(message.getAgentAddress()), "\"255.255.255.255\"");
        EXPECT_EQ(textOrNull(message.getEnterprise()), "null");
    }
}

TEST(V1TrapView, SettersThroughTheMessageReachTheTrapPdu) {
    SnmpMessage message(kTagTrap, 0);
    message.setGenericTrap(4);
    message.setSpecificTrap(9);
    message.setTimeStamp(77);
    message.setAgentAddress("192.168.2.1");
    message.setEnterprise("1.3.6.1.4.1.32473.2.3");

    EXPECT_EQ(message.getGenericTrap(), 4);
    EXPECT_EQ(message.getSpecificTrap(), 9);
    EXPECT_EQ(message.getTimeStamp(), 77u);
    EXPECT_EQ(textOrNull(message.getAgentAddress()), "\"192.168.2.1\"");
    EXPECT_EQ(textOrNull(message.getEnterprise()), "\"1.3.6.1.4.1.32473.2.3\"");

    // The same numbers straight from the PDU: the message added nothing.
    const SnmpPdu* pdu = message.getPdu();
    ASSERT_NE(pdu, nullptr);
    EXPECT_EQ(pdu->getGenericTrap(), 4);
    EXPECT_EQ(pdu->getSpecificTrap(), 9);

    // A v1 trap's specific-trap is its own field, never binding 2.
    message.addVarbind(stringBinding(kSysUpTime, "1"));
    message.addVarbind(stringBinding(kSnmpTrapOid, "1.3.6.1.4.1.9.0.42"));
    EXPECT_EQ(message.getSpecificTrap(), 9);

    message.setGenericTrap(6);
    EXPECT_EQ(message.getGenericTrap(), 6);
}

TEST(V1TrapView, ANewTrapAnswersZeroAndNullTexts) {
    SnmpMessage message(kTagTrap, 0);
    EXPECT_EQ(message.getGenericTrap(), 0);
    EXPECT_EQ(message.getSpecificTrap(), 0);
    EXPECT_EQ(message.getTimeStamp(), 0u);
    EXPECT_EQ(textOrNull(message.getAgentAddress()), "null");
    EXPECT_EQ(textOrNull(message.getEnterprise()), "null");
}

TEST(NotificationView, RequestsResponsesAndMessagesWithoutAPduAnswerZero) {
    const std::uint32_t types[] = {kTagGetRequest, kTagGetNextRequest, kTagGetResponse, kTagSetRequest,
                                   kTagGetBulkRequest};
    for (const std::uint32_t type : types) {
        SCOPED_TRACE(type);
        SnmpMessage message(type, 0);
        message.setGenericTrap(4);
        message.setSpecificTrap(9);
        message.setTimeStamp(77);
        message.setAgentAddress("192.168.2.1");
        message.setEnterprise("1.3.6.1.4.1.32473.2.3");
        message.addVarbind(stringBinding(kSysUpTime, "1"));
        message.addVarbind(stringBinding(kSnmpTrapOid, "1.3.6.1.4.1.9.0.42"));

        EXPECT_EQ(message.getGenericTrap(), 0);
        EXPECT_EQ(message.getSpecificTrap(), 0);
        EXPECT_EQ(message.getTimeStamp(), 0u);
        EXPECT_EQ(textOrNull(message.getAgentAddress()), "null");
        EXPECT_EQ(textOrNull(message.getEnterprise()), "null");
    }
}

TEST(NotificationView, GoesByThePduObjectsOwnTag) {
    // Recorded as a request, holding a v2 trap PDU: a v2 notification.
    SnmpMessage request(kTagGetRequest, 1);
    request.setPdu(new TrapV2Pdu());
    request.addVarbind(stringBinding(kSysUpTime, "1"));
    request.addVarbind(stringBinding(kSnmpTrapOid, "1.3.6.1.4.1.9.0.42"));
    EXPECT_EQ(request.getGenericTrap(), 6);
    EXPECT_EQ(request.getSpecificTrap(), 42);

    // Recorded as a v2 trap, holding a v1 trap PDU: the PDU's own fields.
    SnmpMessage trap(kTagTrapV2, 1);
    trap.setPdu(new TrapPdu());
    trap.setGenericTrap(2);
    trap.setSpecificTrap(8);
    trap.addVarbind(stringBinding(kSysUpTime, "1"));
    trap.addVarbind(stringBinding(kSnmpTrapOid, "1.3.6.1.4.1.9.0.42"));
    EXPECT_EQ(trap.getGenericTrap(), 2);
    EXPECT_EQ(trap.getSpecificTrap(), 8);
}

// --- round trips through the wire -------------------------------------------

TEST(NotificationRoundTrip, V1TrapReadsBackThroughTheView) {
    SnmpMessage trap(kTagTrap, 0);
    trap.setCommunity("harbour");
    trap.setEnterprise("1.3.6.1.4.1.32473.2.3");
    trap.setAgentAddress("192.168.2.1");
    trap.setGenericTrap(6);
    trap.setSpecificTrap(17);
    trap.setTimeStamp(987654);
    trap.addVarbind(stringBinding("1.3.6.1.2.1.1.5.0", "hello"));

    const Bytes wire = encodeExactly(trap);
    EXPECT_EQ(toHex(wire), toHex(hex("30 40, 02 01 00, 04 07 68 61 72 62 6F 75 72,"
                                     " A4 32, 06 0A 2B 06 01 04 01 81 FD 59 02 03, 40 04 C0 A8 02 01,"
                                     " 02 01 06, 02 01 11, 43 03 0F 12 06,"
                                     " 30 13, 30 11, 06 08 2B 06 01 02 01 01 05 00, 04 05 68 65 6C 6C 6F")));

    std::unique_ptr<SnmpMessage> back = decode(wire);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getVersion(), 0);
    EXPECT_STREQ(back->getCommunity(), "harbour");
    EXPECT_EQ(back->getPduType(), kTagTrap);
    EXPECT_EQ(textOrNull(back->getEnterprise()), "\"1.3.6.1.4.1.32473.2.3\"");
    EXPECT_EQ(textOrNull(back->getAgentAddress()), "\"192.168.2.1\"");
    EXPECT_EQ(back->getGenericTrap(), 6);
    EXPECT_EQ(back->getSpecificTrap(), 17);
    EXPECT_EQ(back->getTimeStamp(), 987654u);
    ASSERT_EQ(back->getVarbindCount(), 1);
    EXPECT_STREQ(back->getOidText(1), "1.3.6.1.2.1.1.5.0");
    EXPECT_STREQ(back->getValueText(1), "hello");
}

TEST(NotificationRoundTrip, V2TrapReadsBackThroughTheView) {
    for (const std::uint32_t type : {std::uint32_t{kTagTrapV2}, std::uint32_t{kTagInformRequest}}) {
        SCOPED_TRACE(type);
        SnmpMessage trap(type, 1);
        trap.setCommunity("harbour");
        trap.setRequestId(4711);
        trap.addVarbind(stringBinding("1.3.6.1.2.1.1.5.0", "hello"));
        trap.buildV2TrapVarbinds(987654, "1.3.6.1.4.1.32473.2.3", 6, 17);

        std::unique_ptr<SnmpMessage> back = decode(encodeExactly(trap));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->getVersion(), 1);
        EXPECT_STREQ(back->getCommunity(), "harbour");
        EXPECT_EQ(back->getPduType(), type);
        EXPECT_EQ(back->getRequestId(), 4711);
        EXPECT_EQ(back->getGenericTrap(), 6);
        EXPECT_EQ(back->getSpecificTrap(), 17);
        EXPECT_EQ(back->getTimeStamp(), 0u);
        EXPECT_EQ(textOrNull(back->getAgentAddress()), "\"255.255.255.255\"");
        EXPECT_EQ(textOrNull(back->getEnterprise()), "null");
        ASSERT_EQ(back->getVarbindCount(), 3);
        EXPECT_STREQ(back->getOidText(1), kSysUpTime);
        EXPECT_STREQ(back->getValueTypeName(1), "TimeTick");
        EXPECT_STREQ(back->getValueText(1), "987654");
        EXPECT_STREQ(back->getOidText(2), kSnmpTrapOid);
        EXPECT_STREQ(back->getValueTypeName(2), "OID");
        EXPECT_STREQ(back->getValueText(2), "1.3.6.1.4.1.32473.2.3.0.17");
        EXPECT_STREQ(back->getOidText(3), "1.3.6.1.2.1.1.5.0");
        EXPECT_STREQ(back->getValueText(3), "hello");
    }
}

}  // namespace
}  // namespace quillow
