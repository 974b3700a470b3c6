// UdpTransport: the datagram exchange with one SNMP agent.
#pragma once

#include <cstdint>
#include <memory>

#include "../message/message.h"
#include "../message/packet.h"
#include "../sockets/sockets.h"

namespace quillow {

class UdpTransport {
public:
    static constexpr std::uint32_t kBufferSize = 4096;
    static constexpr std::uint32_t kDefaultTimeout = 5;

    // Makes a UDP socket, resolves the host and binds to a port of the
    // system's choosing. It never fails outright: when a step fails the
    // transport is not ready, and then sends nothing and receives nothing.
    // An empty host text counts as a host that does not resolve, so that no
    // datagram goes to the local machine by accident. The platform's sockets
    // must be started before (sockets::startup) and cleaned up after.
    UdpTransport(std::int32_t port, const char* host);
    ~UdpTransport();
    UdpTransport(const UdpTransport&) = delete;
    UdpTransport& operator=(const UdpTransport&) = delete;

    // Seconds that receive waits; 0 waits without limit.
    void setTimeout(std::uint32_t seconds) { timeout_ = seconds; }

    // Encodes the message and sends it as one datagram. Returns the bytes
    // sent, or 0 when nothing was sent.
    std::int32_t send(const SnmpPacket& message);

    // Waits at most the timeout for one datagram from any sender and decodes
    // it. Null when the transport is not ready, when nothing arrived in time,
    // when the read failed (an empty datagram, or one longer than the buffer,
    // included) and when the decoder refused the datagram.
    std::unique_ptr<SnmpMessage> receive();

    bool isReady() const { return ready_; }
    // The platform's code for the most recent failed socket call; 0 until
    // one fails.
    std::int32_t getLastError() const { return lastError_; }
    std::uint32_t getTimeout() const { return timeout_; }
    std::int32_t getPort() const { return port_; }
    // The last datagram received, followed by zero bytes up to the buffer
    // size; the next receive overwrites it.
    const std::uint8_t* getBuffer() const { return buffer_.get(); }
    std::uint32_t getBufferSize() const { return bufferSize_; }
    // The byte count of the datagram in the buffer; 0 when the last receive
    // got none.
    std::int32_t getReceivedLength() const { return receivedLength_; }
    // The agent's address in network byte order.
    std::uint32_t getRemoteAddress() const { return remoteAddress_; }
    const char* getHostName() const { return hostName_.get(); }

private:
    void recordError() { lastError_ = sockets::lastError(); }

    std::int32_t port_;
    std::uint32_t bufferSize_ = kBufferSize;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::int32_t receivedLength_ = 0;
    std::int32_t lastError_ = 0;
    std::uint32_t timeout_ = kDefaultTimeout;
    sockets::SocketHandle socketHandle_ = sockets::kInvalidSocket;
    std::uint32_t remoteAddress_ = 0;
    std::uint16_t remotePort_ = 0;
    bool ready_ = false;
    std::unique_ptr<char[]> hostName_;
};

}  // namespace quillow
