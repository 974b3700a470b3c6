// UdpTransport over real UDP sockets on 127.0.0.1, against a peer socket of
// the test's own on a port of the system's choosing.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "message/message.h"
#include "sockets/sockets.h"
#include "test_bytes.h"
#include "transport/udp_transport.h"
#include "values/oid.h"

namespace quillow {
namespace {

using test::Bytes;
using test::hex;
using test::toHex;

#ifdef _WIN32
using PeerHandle = SOCKET;
using AddressLength = int;
constexpr PeerHandle kNoPeer = INVALID_SOCKET;
void closePeer(PeerHandle handle) { ::closesocket(handle); }
constexpr int kTooLongError = WSAEMSGSIZE;
#else
using PeerHandle = int;
using AddressLength = socklen_t;
constexpr PeerHandle kNoPeer = -1;
void closePeer(PeerHandle handle) { ::close(handle); }
constexpr int kTooLongError = EMSGSIZE;
#endif

// A UDP socket on 127.0.0.1 that plays the agent.
class Peer {
public:
    Peer() {
        handle_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local;
        std::memset(&local, 0, sizeof local);
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        local.sin_port = 0;
        AddressLength length = sizeof local;
        if (handle_ == kNoPeer || ::bind(handle_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
            ::getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
            ADD_FAILURE() << "the peer socket cannot be set up";
            return;
        }
        port_ = ntohs(local.sin_port);
    }
    ~Peer() {
        if (handle_ != kNoPeer) closePeer(handle_);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    std::uint16_t port() const { return port_; }

    // One datagram, or false when none came within the seconds given.
    bool receive(Bytes& datagram, sockaddr_in& from, int seconds) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle_, &readable);
        timeval limit;
        limit.tv_sec = seconds;
        limit.tv_usec = 0;
        if (::select(static_cast<int>(handle_) + 1, &readable, nullptr, nullptr, &limit) <= 0) return false;
        datagram.assign(65536, 0);
        AddressLength length = sizeof from;
        const auto got = ::recvfrom(handle_, reinterpret_cast<char*>(datagram.data()), 65536, 0,
                                    reinterpret_cast<sockaddr*>(&from), &length);
        if (got < 0) return false;
        datagram.resize(static_cast<std::size_t>(got));
        return true;
    }

    void sendTo(const sockaddr_in& to, const Bytes& datagram) {
        const auto sent =
            ::sendto(handle_, reinterpret_cast<const char*>(datagram.data()), static_cast<int>(datagram.size()), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to);
        ASSERT_EQ(static_cast<long>(sent), static_cast<long>(datagram.size()));
    }

private:
    PeerHandle handle_ = kNoPeer;
    std::uint16_t port_ = 0;
};

// An element in the shortest length form.
Bytes tlv(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    const std::size_t n = content.size();
    if (n < 0x80) {
        out.push_back(static_cast<std::uint8_t>(n));
    } else if (n < 0x100) {
        out.push_back(0x81);
        out.push_back(static_cast<std::uint8_t>(n));
    } else {
        out.push_back(0x82);
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(n));
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A response with request-id 123 binding sysDescr.0 to a string of `count`
// 'x' bytes.
Bytes responseWithText(std::size_t count) {
    const Bytes binding = tlv(0x30, hex("06 08 2B 06 01 02 01 01 01 00") + tlv(0x04, Bytes(count, 'x')));
    const Bytes pdu = tlv(0xA2, hex("02 01 7B 02 01 00 02 01 00") + tlv(0x30, binding));
    return tlv(0x30, hex("02 01 00 04 07 68 61 72 62 6F 75 72") + pdu);
}

// A response of exactly `size` bytes (from 300 up), its string as long as
// that allows.
Bytes responseOfSize(std::size_t size) {
    const Bytes bytes = responseWithText(size - 51);
    EXPECT_EQ(bytes.size(), size);
    return bytes;
}

// version 0, community "harbour", GetResponse, request-id 123, sysUpTime.0 =
// TimeTicks 100.
const char* const kShortResponse =
    "30 28 02 01 00 04 07 68 61 72 62 6F 75 72 A2 1A 02 01 7B 02 01 00 02 01 00"
    " 30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64";

// version 0, community "harbour", GetRequest, request-id 123, sysDescr.0 =
// NULL: what the tool sends.
const char* const kRequest =
    "30 27 02 01 00 04 07 68 61 72 62 6F 75 72 A0 19 02 01 7B 02 01 00 02 01 00"
    " 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00";

std::unique_ptr<SnmpMessage> makeRequest() {
    std::unique_ptr<SnmpMessage> request(new SnmpMessage(kTagGetRequest, 0));
    request->setCommunity("harbour");
    request->setRequestId(123);
    request->addVarbind(new Varbind(new SnmpOid("1.3.6.1.2.1.1.1.0"), nullptr));
    return request;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class SocketsStarted : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sockets::startup(), 0); }
    void TearDown() override { sockets::cleanup(); }
};

using UdpTransportSetup = SocketsStarted;

TEST_F(UdpTransportSetup, TakesADottedAddressAsItIs) {
    UdpTransport transport(161, "192.168.2.1");
    EXPECT_TRUE(transport.isReady());
    EXPECT_EQ(transport.getLastError(), 0);
    const std::uint32_t address = transport.getRemoteAddress();
    Bytes bytes(4);
    std::memcpy(bytes.data(), &address, 4);
    EXPECT_EQ(toHex(bytes), "C0 A8 02 01");
    EXPECT_STREQ(transport.getHostName(), "192.168.2.1");
    EXPECT_EQ(transport.getPort(), 161);
    EXPECT_EQ(transport.getTimeout(), 5u);
    EXPECT_EQ(transport.getBufferSize(), 4096u);
    EXPECT_EQ(transport.getReceivedLength(), 0);
}

TEST_F(UdpTransportSetup, TakesTheAllOnesAddressThroughNameResolution) {
    // The address parser cannot tell this text from a failure; resolving it
    // gives the address all the same.
    UdpTransport transport(161, "255.255.255.255");
    EXPECT_TRUE(transport.isReady());
    EXPECT_EQ(transport.getRemoteAddress(), 0xFFFFFFFFu);
}

// Host texts that give no address: the transport is not ready, sends
// nothing, and never waits, even with a long timeout.
TEST_F(UdpTransportSetup, HostTextsThatGiveNoAddressNeverSendOrWait) {
    const std::string overlongLabel = std::string(64, 'q') + ".invalid";
    const char* const hosts[] = {"", overlongLabel.c_str()};
    for (const char* host : hosts) {
        SCOPED_TRACE(std::string("host '") + host + "'");
        UdpTransport transport(161, host);
        EXPECT_FALSE(transport.isReady());
        EXPECT_NE(transport.getLastError(), 0);
        const std::unique_ptr<SnmpMessage> request = makeRequest();
        EXPECT_EQ(transport.send(*request), 0);
        transport.setTimeout(60);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(transport.receive(), nullptr);
        EXPECT_LT(secondsSince(start), 20.0);
    }
    UdpTransport empty(161, "");
    EXPECT_EQ(empty.getHostName(), nullptr);
}

TEST_F(UdpTransportSetup, ANullHostTextCountsAsEmpty) {
    UdpTransport transport(161, nullptr);
    EXPECT_FALSE(transport.isReady());
    EXPECT_EQ(transport.getHostName(), nullptr);
}

// A transport aimed at the peer, which has taken the transport's request so
// that it knows where to answer.
class UdpTransportExchange : public SocketsStarted {
protected:
    void SetUp() override {
        SocketsStarted::SetUp();
        peer_.reset(new Peer());
        ASSERT_NE(peer_->port(), 0);
        transport_.reset(new UdpTransport(peer_->port(), "127.0.0.1"));
        ASSERT_TRUE(transport_->isReady());
        request_ = makeRequest();
        ASSERT_EQ(transport_->send(*request_), 41);
        ASSERT_TRUE(peer_->receive(sent_, transportAddress_, 10)) << "the request did not arrive";
    }
    void TearDown() override {
        transport_.reset();
        peer_.reset();
        SocketsStarted::TearDown();
    }

    void answer(const Bytes& datagram) { peer_->sendTo(transportAddress_, datagram); }

    std::unique_ptr<Peer> peer_;
    std::unique_ptr<UdpTransport> transport_;
    std::unique_ptr<SnmpMessage> request_;
    Bytes sent_;
    sockaddr_in transportAddress_{};
};

TEST_F(UdpTransportExchange, SendsExactlyTheEncodedBytesAsOneDatagram) {
    EXPECT_EQ(toHex(sent_), toHex(hex(kRequest)));
    EXPECT_EQ(toHex(sent_), toHex(test::encodeExactly(*request_)));
    EXPECT_EQ(transportAddress_.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
}

TEST_F(UdpTransportExchange, ReceivesAndDecodesTheReply) {
    answer(hex(kShortResponse));
    const std::unique_ptr<SnmpMessage> reply = transport_->receive();
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(reply->getRequestId(), 123);
    EXPECT_EQ(reply->getErrorStatus(), 0);
    EXPECT_STREQ(reply->getOidText(1), "1.3.6.1.2.1.1.3.0");
    EXPECT_STREQ(reply->getValueText(1), "100");
    EXPECT_EQ(transport_->getReceivedLength(), 42);
}

// A datagram that fills the buffer is taken whole, trailing bytes after the
// message included; one byte more and it is no reply at all, even when the
// part that fits is a whole message.
TEST_F(UdpTransportExchange, TakesDatagramsUpToTheBufferSizeWhole) {
    struct Case {
        const char* name;
        Bytes datagram;
        std::size_t textLength;
    };
    const Case cases[] = {
        {"a 4096-byte message", responseOfSize(4096), 4045},
        {"a 4095-byte message and one byte more", responseOfSize(4095) + Bytes{0x00}, 4044},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        answer(c.datagram);
        const std::unique_ptr<SnmpMessage> reply = transport_->receive();
        ASSERT_NE(reply, nullptr);
        EXPECT_EQ(std::string(reply->getValueText(1)), std::string(c.textLength, 'x'));
        ASSERT_EQ(transport_->getReceivedLength(), 4096);
        EXPECT_EQ(Bytes(transport_->getBuffer(), transport_->getBuffer() + 4096), c.datagram);
    }
}

TEST_F(UdpTransportExchange, ADatagramLongerThanTheBufferIsNoReply) {
    const Bytes first = hex(kShortResponse);
    answer(first);
    ASSERT_NE(transport_->receive(), nullptr);

    answer(responseOfSize(4096) + Bytes{0x00});
    EXPECT_EQ(transport_->receive(), nullptr);
    EXPECT_EQ(transport_->getReceivedLength(), 0);
    EXPECT_EQ(transport_->getLastError(), kTooLongError);
    // A failed read leaves the buffer as the last datagram left it.
    Bytes expected = first;
    expected.resize(4096, 0x00);
    EXPECT_EQ(Bytes(transport_->getBuffer(), transport_->getBuffer() + 4096), expected);
}

TEST_F(UdpTransportExchange, AnEmptyDatagramIsNoReplyAndTheNextOneIsRead) {
    answer(Bytes{});
    EXPECT_EQ(transport_->receive(), nullptr);
    EXPECT_EQ(transport_->getReceivedLength(), 0);
    answer(hex(kShortResponse));
    EXPECT_NE(transport_->receive(), nullptr);
}

TEST_F(UdpTransportExchange, ADatagramTheDecoderRefusesIsNoReplyButKeepsItsLength) {
    const Bytes whole = hex(kShortResponse);
    Bytes longerThanArrived = whole;
    longerThanArrived[1] = static_cast<std::uint8_t>(whole.size() + 1);
    const Bytes lastByteMissing(whole.begin(), whole.end() - 1);
    for (const Bytes& refused : {longerThanArrived, lastByteMissing}) {
        SCOPED_TRACE(toHex(refused));
        answer(refused);
        EXPECT_EQ(transport_->receive(), nullptr);
        EXPECT_EQ(transport_->getReceivedLength(), static_cast<std::int32_t>(refused.size()));
        EXPECT_EQ(Bytes(transport_->getBuffer(), transport_->getBuffer() + refused.size()), refused);
    }
}

TEST_F(UdpTransportExchange, TakesAReplyFromAnotherPort) {
    Peer stranger;
    ASSERT_NE(stranger.port(), peer_->port());
    stranger.sendTo(transportAddress_, hex(kShortResponse));
    const std::unique_ptr<SnmpMessage> reply = transport_->receive();
    ASSERT_NE(reply, nullptr);
    EXPECT_STREQ(reply->getValueText(1), "100");
}

TEST_F(UdpTransportExchange, ASecondReceiveWaitsAgainAndTheFirstReplyStaysValid) {
    answer(hex(kShortResponse));
    transport_->setTimeout(1);
    const std::unique_ptr<SnmpMessage> first = transport_->receive();
    ASSERT_NE(first, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transport_->receive(), nullptr);
    EXPECT_GE(secondsSince(start), 0.9);
    EXPECT_EQ(transport_->getReceivedLength(), 0);
    EXPECT_STREQ(first->getCommunity(), "harbour");
    EXPECT_STREQ(first->getValueText(1), "100");
}

TEST_F(UdpTransportExchange, TimeoutZeroWaitsUntilADatagramArrives) {
    transport_->setTimeout(0);
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        answer(hex(kShortResponse));
    });
    const auto start = std::chrono::steady_clock::now();
    const std::unique_ptr<SnmpMessage> reply = transport_->receive();
    const double waited = secondsSince(start);
    late.join();
    ASSERT_NE(reply, nullptr);
    EXPECT_GE(waited, 1.5);
}

TEST_F(UdpTransportExchange, SendReturnsZeroWhenThePlatformRefusesTheDatagram) {
    // A message far beyond what one UDP datagram can carry.
    std::unique_ptr<SnmpMessage> huge(new SnmpMessage(kTagGetRequest, 0));
    huge->setCommunity(std::string(70000, 'c').c_str());
    EXPECT_EQ(transport_->send(*huge), 0);
    EXPECT_NE(transport_->getLastError(), 0);
}

}  // namespace
}  // namespace quillow
