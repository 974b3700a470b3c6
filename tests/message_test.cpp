#include "message/message.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "counting_value.h"
#include "pdu/trap.h"
#include "test_bytes.h"
#include "values/oid.h"

namespace quillow {
namespace {

using test::Bytes;
using test::hex;
using test::toHex;

// Encodes through a cursor into a buffer with room to spare, and checks that
// exactly encodedSize bytes were written and the cursor was left alone.
std::string encodeMessage(const SnmpMessage& message) {
    const std::size_t size = message.encodedSize();
    Bytes bytes(size + 8, 0xEE);
    std::uint8_t* cursor = bytes.data();
    message.encode(cursor);
    EXPECT_EQ(cursor, bytes.data()) << "encode moved the caller's cursor";
    for (std::size_t i = size; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0xEE) << "wrote past encodedSize";
    bytes.resize(size);
    return toHex(bytes);
}

SnmpMessage* toolRequest() {
    SnmpMessage* message = new SnmpMessage(0xA0, 0);
    message->setRequestId(123);
    message->addVarbind(new Varbind(new SnmpOid("1.3.6.1.2.1.1.1.0"), nullptr));
    return message;
}

TEST(SnmpMessage, EncodesTheToolsGetRequestByteForByte) {
    std::unique_ptr<SnmpMessage> message(toolRequest());
    EXPECT_EQ(message->encodedSize(), 40u);
    EXPECT_EQ(encodeMessage(*message),
              "30 26 02 01 00 04 06 74 75 6E 64 72 61 A0 19 02 01 7B 02 01 00 02 01 00 "
              "30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00");
    EXPECT_EQ(message->getRecordedPduType(), 0xA0u);
    EXPECT_EQ(message->getPduType(), 0xA0);
    EXPECT_EQ(message->getVersion(), 0);
    EXPECT_STREQ(message->getCommunity(), "tundra");
}

TEST(SnmpMessage, WithoutArgumentsItHasOnlyTheDefaultCommunity) {
    SnmpMessage message;
    EXPECT_EQ(message.getPduType(), 0xFF);
    EXPECT_EQ(message.getRecordedPduType(), 0u);
    EXPECT_EQ(message.getRequestId(), 0);
    EXPECT_EQ(message.getErrorStatus(), 0);
    EXPECT_EQ(message.getErrorIndex(), 0);
    EXPECT_EQ(message.getVarbindCount(), 0);
    EXPECT_STREQ(message.getOidText(1), "NULL");
    EXPECT_STREQ(message.getValueText(1), "NULL");
    EXPECT_STREQ(message.getCommunity(), "tundra");
    EXPECT_EQ(message.getPdu(), nullptr);
    try {
        message.getVersion();
        ADD_FAILURE() << "getVersion did not throw";
    } catch (int thrown) {
        EXPECT_EQ(thrown, 0);
    }
    // Forwarded setters do nothing without a PDU.
    message.setRequestId(5);
    message.setErrorStatus(5);
    EXPECT_EQ(message.getRequestId(), 0);
    EXPECT_EQ(message.encodedSize(), 10u);
    EXPECT_EQ(encodeMessage(message), "30 08 04 06 74 75 6E 64 72 61");
}

TEST(SnmpMessage, SetPduTypeMakesAPduOnlyForTagsThatHaveAClass) {
    SnmpMessage message;
    message.setPduType(0xA5);
    EXPECT_EQ(message.getRecordedPduType(), 0xA5u);
    EXPECT_EQ(message.getPdu(), nullptr);
    EXPECT_EQ(message.getPduType(), 0xFF);

    std::unique_ptr<SnmpMessage> request(toolRequest());
    SnmpPdu* before = request->getPdu();
    request->setPduType(0x1A0);  // no class: the PDU stays
    EXPECT_EQ(request->getPdu(), before);
    EXPECT_EQ(request->getRequestId(), 123);

    request->setPduType(0xA4);
    EXPECT_NE(dynamic_cast<TrapPdu*>(request->getPdu()), nullptr);
    EXPECT_EQ(request->getPduType(), 0xA4);
    EXPECT_EQ(request->getRequestId(), 0);
}

TEST(SnmpMessage, SetPduReplacesThePduButNotTheRecordedType) {
    std::unique_ptr<SnmpMessage> message(toolRequest());
    GetResponsePdu* response = new GetResponsePdu();
    response->setRequestId(7);
    message->setPdu(response);
    EXPECT_EQ(message->getPduType(), 0xA2);
    EXPECT_EQ(message->getRecordedPduType(), 0xA0u);
    EXPECT_EQ(message->getRequestId(), 7);
    EXPECT_EQ(encodeMessage(*message).substr(39, 2), "A2");
    message->setPdu(nullptr);
    EXPECT_EQ(message->getPduType(), 0xFF);
    EXPECT_EQ(encodeMessage(*message), "30 0B 02 01 00 04 06 74 75 6E 64 72 61");
}

TEST(SnmpMessage, AddressesBindingsByPosition) {
    SnmpMessage message(0xA2, 1);
    message.addVarbind(new Varbind(new SnmpOid("1.3.6.1.2.1.1.5.0"), new SnmpOctetString("core")));
    message.addVarbind(new Varbind(new SnmpOid("1.3.6.1.2.1.1.7.0"), new SnmpInteger(72)));
    message.addVarbind(new Varbind(new SnmpOid("1.3.6.1.2.1.1.3.0"), new SnmpTimeTicks(4711)));
    EXPECT_EQ(message.getVarbindCount(), 3);
    EXPECT_STREQ(message.getOidText(2), "1.3.6.1.2.1.1.7.0");
    EXPECT_STREQ(message.getValueTypeName(1), "String");
    EXPECT_STREQ(message.getValueText(1), "core");
    EXPECT_STREQ(message.getValueTypeName(3), "TimeTick");
    EXPECT_STREQ(message.getValueText(3), "4711");
    for (std::int32_t position : {0, -1, 4, 1000}) {
        EXPECT_STREQ(message.getOidText(position), "NULL") << position;
        EXPECT_STREQ(message.getValueTypeName(position), "NULL") << position;
        EXPECT_STREQ(message.getValueText(position), "NULL") << position;
    }
}

TEST(SnmpMessage, ABindingWithoutANameOrValueReadsAsNull) {
    SnmpMessage message(0xA0, 0);
    message.addVarbind(new Varbind(new SnmpOid("1.3.6.1"), nullptr));
    message.addVarbind(new Varbind(nullptr, new SnmpInteger(1)));
    EXPECT_STREQ(message.getOidText(1), "1.3.6.1");
    EXPECT_STREQ(message.getValueTypeName(1), "NULL");
    EXPECT_STREQ(message.getValueText(1), "NULL");
    EXPECT_STREQ(message.getOidText(2), "NULL");
    EXPECT_STREQ(message.getValueText(2), "1");
}

TEST(SnmpMessage, ALongMessageGetsTheLongLengthForm) {
    // With a community of n bytes (n below 127) the content is
    // 3 + (n + 2) + 27 bytes: 126 fits the short form, 127 needs the long one.
    const struct {
        std::size_t communityLength;
        const char* header;
        std::size_t size;
    } cases[] = {{94, "30 7E", 128}, {95, "30 81 7F", 130}, {300, "30 82 01 4E", 338}};
    for (const auto& c : cases) {
        std::unique_ptr<SnmpMessage> message(toolRequest());
        message->setCommunity(std::string(c.communityLength, 'c').c_str());
        EXPECT_EQ(message->encodedSize(), c.size) << c.communityLength;
        const std::string text = encodeMessage(*message);
        EXPECT_EQ(text.substr(0, std::string(c.header).size()), c.header);
        EXPECT_EQ(hex(text).size(), c.size);
    }
}

TEST(SnmpMessage, ForwardsTheHeaderFieldsToItsPdu) {
    SnmpMessage message(0xA3, 0);
    message.setRequestId(-5);
    message.setErrorStatus(3);
    message.setErrorIndex(2);
    EXPECT_EQ(message.getRequestId(), -5);
    EXPECT_EQ(message.getErrorStatus(), 3);
    EXPECT_EQ(message.getErrorIndex(), 2);
    EXPECT_EQ(message.getPdu()->getErrorIndex(), 2);
}

TEST(SnmpMessage, ReplacingEveryPartFreesWhatItReplaces) {
    test::CountingValue::alive = 0;
    {
        std::unique_ptr<SnmpMessage> message(toolRequest());
        message->addVarbind(new Varbind(new test::CountingValue(), new test::CountingValue()));
        message->setVersion(new SnmpInteger(1));
        message->setVersion(new SnmpInteger(0));
        message->setCommunity("first");
        message->setCommunityValue(new SnmpOctetString("second"));
        message->setCommunity("third");
        message->setPduType(0xA4);
        message->setGenericTrap(1);
        message->setGenericTrap(2);
        message->setEnterprise("1.3.6.1.4.1");
        message->setEnterprise("1.3.6.1.4.2");
        message->setAgentAddress("10.0.0.1");
        message->setAgentAddress("10.0.0.2");
        message->setTimeStamp(1);
        message->setTimeStamp(2);
        message->setPdu(new GetResponsePdu());
        message->setPduType(0xA7);
        message->setRequestId(1);
        message->setRequestId(2);
        EXPECT_STREQ(message->getCommunity(), "third");
        EXPECT_EQ(test::CountingValue::alive, 2);
        const std::string text = encodeMessage(*message);
        EXPECT_FALSE(text.empty());
    }
    // The leak checker of the sanitizer build sees anything else that leaked.
    EXPECT_EQ(test::CountingValue::alive, 0);
}

TEST(SnmpMessage, AMessageWithoutACommunityOrVersionSkipsThem) {
    std::unique_ptr<SnmpMessage> message(toolRequest());
    message->setCommunityValue(nullptr);
    message->setVersion(nullptr);
    EXPECT_EQ(message->getCommunity(), nullptr);
    EXPECT_EQ(encodeMessage(*message),
              "30 1B A0 19 02 01 7B 02 01 00 02 01 00 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00");
}

}  // namespace
}  // namespace quillow
