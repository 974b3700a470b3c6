// The socket layer and the transport over Winsock, run as a Windows program.
// The peer in these tests is a plain Winsock socket on 127.0.0.1.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "message/message.h"
#include "sockets/sockets.h"
#include "transport/udp_transport.h"
#include "values/oid.h"

namespace quillow {
namespace {

using Clock = std::chrono::steady_clock;

long millisecondsSince(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A socket bound to 127.0.0.1 and a port of the system's choosing.
class Peer {
public:
    Peer() {
        handle_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local;
        std::memset(&local, 0, sizeof local);
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ =
            handle_ != INVALID_SOCKET && ::bind(handle_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
        int length = sizeof address_;
        ok_ = ok_ && ::getsockname(handle_, reinterpret_cast<sockaddr*>(&address_), &length) == 0;
    }
    ~Peer() {
        if (handle_ != INVALID_SOCKET) ::closesocket(handle_);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool ok() const { return ok_; }
    std::uint16_t port() const { return ntohs(address_.sin_port); }
    const sockaddr_in& address() const { return address_; }

    bool sendTo(const sockaddr_in& to, const std::vector<std::uint8_t>& bytes) const {
        return ::sendto(handle_, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0,
                        reinterpret_cast<const sockaddr*>(&to), sizeof to) == static_cast<int>(bytes.size());
    }
    // Waits up to 5 seconds for one datagram and tells where it came from.
    bool receiveFrom(sockaddr_in& from) const {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle_, &readable);
        timeval limit{5, 0};
        if (::select(0, &readable, nullptr, nullptr, &limit) != 1) return false;
        char buffer[2048];
        int length = sizeof from;
        return ::recvfrom(handle_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length) >= 0;
    }

private:
    SOCKET handle_ = INVALID_SOCKET;
    sockaddr_in address_{};
    bool ok_ = false;
};

class WinsockTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sockets::startup(), 0); }
    void TearDown() override { sockets::cleanup(); }
};

// The address that the layer's socket is bound to, seen from the peer: the
// loopback address and the port the system chose.
sockaddr_in boundAddress(sockets::SocketHandle handle) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    int length = sizeof address;
    ::getsockname(static_cast<SOCKET>(handle), reinterpret_cast<sockaddr*>(&address), &length);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

TEST(WinsockStartup, NoSocketBeforeStartupOrAfterCleanup) {
    EXPECT_EQ(sockets::openUdpSocket(), sockets::kInvalidSocket);
    EXPECT_EQ(sockets::lastError(), WSANOTINITIALISED);

    ASSERT_EQ(sockets::startup(), 0);
    const sockets::SocketHandle handle = sockets::openUdpSocket();
    EXPECT_NE(handle, sockets::kInvalidSocket);
    sockets::closeSocket(handle);
    sockets::cleanup();

    EXPECT_EQ(sockets::openUdpSocket(), sockets::kInvalidSocket);
    EXPECT_EQ(sockets::lastError(), WSANOTINITIALISED);
}

TEST_F(WinsockTest, BindRefusesTheInvalidHandle) {
    EXPECT_FALSE(sockets::bindAnyPort(sockets::kInvalidSocket));
    EXPECT_EQ(sockets::lastError(), WSAENOTSOCK);
    sockets::closeSocket(sockets::kInvalidSocket);  // closing nothing is harmless
}

TEST_F(WinsockTest, AddressesAndByteOrder) {
    const std::uint32_t address = sockets::parseAddress("192.168.2.1");
    std::uint8_t bytes[4];
    std::memcpy(bytes, &address, 4);
    EXPECT_EQ(bytes[0], 192);
    EXPECT_EQ(bytes[1], 168);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[3], 1);
    EXPECT_STREQ(sockets::addressToText(address), "192.168.2.1");
    EXPECT_EQ(sockets::parseAddress("255.255.255.255"), sockets::kAddressNone);
    EXPECT_EQ(sockets::parseAddress("core-switch"), sockets::kAddressNone);

    const std::uint16_t port = sockets::hostToNetwork16(0x00A1);
    std::uint8_t portBytes[2];
    std::memcpy(portBytes, &port, 2);
    EXPECT_EQ(portBytes[0], 0x00);
    EXPECT_EQ(portBytes[1], 0xA1);
    EXPECT_EQ(sockets::hostToNetwork32(0x7F000001u), htonl(0x7F000001u));
}

TEST_F(WinsockTest, ResolvesOnlyNamesThatExist) {
    std::uint32_t address = 0;
    ASSERT_EQ(sockets::resolveName("localhost", address), 0);
    EXPECT_EQ(address, htonl(INADDR_LOOPBACK));

    EXPECT_NE(sockets::resolveName("no-such-host.invalid", address), 0);
}

struct DatagramCase {
    std::size_t size;
    long expected;  // what receiveDatagram answers
};

// A 4096-byte buffer, as the transport has: up to its size a datagram comes
// whole; longer ones are refused with Winsock's WSAEMSGSIZE rather than cut.
TEST_F(WinsockTest, ReceivesDatagramsWholeOrNotAtAll) {
    const DatagramCase cases[] = {{0, 0}, {1, 1}, {4095, 4095}, {4096, 4096}, {4097, -1}, {9000, -1}};
    Peer peer;
    ASSERT_TRUE(peer.ok());
    const sockets::SocketHandle handle = sockets::openUdpSocket();
    ASSERT_NE(handle, sockets::kInvalidSocket);
    ASSERT_TRUE(sockets::bindAnyPort(handle));
    const sockaddr_in to = boundAddress(handle);

    for (const DatagramCase& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<std::uint8_t> sent(c.size);
        for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<std::uint8_t>(i * 7 + 1);
        ASSERT_TRUE(peer.sendTo(to, sent));
        ASSERT_EQ(sockets::waitReadable(handle, 5), 1);

        std::vector<std::uint8_t> buffer(4096, 0);
        const long received = sockets::receiveDatagram(handle, buffer.data(), buffer.size());
        EXPECT_EQ(received, c.expected);
        if (received < 0) {
            EXPECT_EQ(sockets::lastError(), WSAEMSGSIZE);
        } else {
            EXPECT_TRUE(std::equal(sent.begin(), sent.end(), buffer.begin()));
        }
        // Nothing of the datagram is left behind: the next read gets the
        // next datagram.
        ASSERT_TRUE(peer.sendTo(to, {0xAB}));
        ASSERT_EQ(sockets::waitReadable(handle, 5), 1);
        EXPECT_EQ(sockets::receiveDatagram(handle, buffer.data(), buffer.size()), 1);
        EXPECT_EQ(buffer[0], 0xAB);
    }
    sockets::closeSocket(handle);
}

TEST_F(WinsockTest, WaitEndsWithTheTimeLimitOrTheDatagram) {
    Peer peer;
    ASSERT_TRUE(peer.ok());
    const sockets::SocketHandle handle = sockets::openUdpSocket();
    ASSERT_NE(handle, sockets::kInvalidSocket);
    ASSERT_TRUE(sockets::bindAnyPort(handle));

    const Clock::time_point start = Clock::now();
    EXPECT_EQ(sockets::waitReadable(handle, 1), 0);
    EXPECT_GE(millisecondsSince(start), 900);

    // A datagram already waiting ends every wait at once, whatever its
    // limit, none (0) included.
    ASSERT_TRUE(peer.sendTo(boundAddress(handle), {0x30, 0x00}));
    for (const std::uint32_t limit : {0u, 5u, 0x7FFFFFFFu}) {
        SCOPED_TRACE(limit);
        EXPECT_EQ(sockets::waitReadable(handle, limit), 1);
    }
    sockets::closeSocket(handle);
}

// The longest limits wait for a datagram that comes later, as a limit of
// some 68 years should, instead of ending at once or failing.
TEST_F(WinsockTest, LimitsBeyondALongStillWait) {
    Peer peer;
    ASSERT_TRUE(peer.ok());
    for (const std::uint32_t limit : {0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(limit);
        const sockets::SocketHandle handle = sockets::openUdpSocket();
        ASSERT_NE(handle, sockets::kInvalidSocket);
        ASSERT_TRUE(sockets::bindAnyPort(handle));
        const sockaddr_in to = boundAddress(handle);
        std::thread later([&peer, to] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            peer.sendTo(to, {0x30, 0x00});
        });
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(sockets::waitReadable(handle, limit), 1);
        EXPECT_GE(millisecondsSince(start), 250);
        later.join();
        sockets::closeSocket(handle);
    }
}

std::unique_ptr<SnmpMessage> getRequest() {
    std::unique_ptr<SnmpMessage> request(new SnmpMessage(kTagGetRequest, 0));
    request->setCommunity("harbour");
    request->setRequestId(123);
    request->addVarbind(new Varbind(new SnmpOid("1.3.6.1.2.1.1.1.0"), nullptr));
    return request;
}

TEST_F(WinsockTest, TransportKeepsWinsocksCodeForATooLongReply) {
    Peer peer;
    ASSERT_TRUE(peer.ok());
    UdpTransport transport(peer.port(), "127.0.0.1");
    ASSERT_TRUE(transport.isReady());
    const std::unique_ptr<SnmpMessage> request = getRequest();
    ASSERT_EQ(transport.send(*request), static_cast<std::int32_t>(request->encodedSize()));
    sockaddr_in from;
    ASSERT_TRUE(peer.receiveFrom(from));

    ASSERT_TRUE(peer.sendTo(from, std::vector<std::uint8_t>(4097, 0x30)));
    EXPECT_EQ(transport.receive(), nullptr);
    EXPECT_EQ(transport.getReceivedLength(), 0);
    EXPECT_EQ(transport.getLastError(), WSAEMSGSIZE);
}

TEST_F(WinsockTest, TransportGivesUpAfterItsTimeout) {
    Peer peer;
    ASSERT_TRUE(peer.ok());
    UdpTransport transport(peer.port(), "127.0.0.1");
    ASSERT_TRUE(transport.isReady());
    transport.setTimeout(1);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(transport.receive(), nullptr);
    EXPECT_GE(millisecondsSince(start), 900);
    EXPECT_EQ(transport.getLastError(), 0);
}

TEST_F(WinsockTest, TransportForAHostThatDoesNotResolveIsNeverReady) {
    UdpTransport transport(161, "no-such-host.invalid");
    EXPECT_FALSE(transport.isReady());
    EXPECT_NE(transport.getLastError(), 0);
    const std::unique_ptr<SnmpMessage> request = getRequest();
    EXPECT_EQ(transport.send(*request), 0);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(transport.receive(), nullptr);
    EXPECT_LT(millisecondsSince(start), 2500);
}

}  // namespace
}  // namespace quillow
