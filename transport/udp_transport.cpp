#include "udp_transport.h"

#include <cstring>
#include <new>

#include "../message/parser.h"

namespace quillow {

UdpTransport::UdpTransport(std::int32_t port, const char* host) : port_(port) {
    buffer_.reset(new (std::nothrow) std::uint8_t[bufferSize_]);
    if (buffer_ == nullptr) bufferSize_ = 0;

    socketHandle_ = sockets::openUdpSocket();
    if (socketHandle_ == sockets::kInvalidSocket) recordError();

    remotePort_ = sockets::hostToNetwork16(static_cast<std::uint16_t>(port & 0xFFFF));

    if (host != nullptr && *host != '\0') {
        const std::size_t length = std::strlen(host);
        hostName_.reset(new (std::nothrow) char[length + 1]);
        if (hostName_ != nullptr) std::memcpy(hostName_.get(), host, length + 1);
    }
    if (hostName_ == nullptr) {
        lastError_ = sockets::hostNotFoundError();
        return;
    }

    // A dotted address is taken as it is; anything else (the all-ones address
    // included, which the parser cannot tell from a failure) is looked up.
    const std::uint32_t parsed = sockets::parseAddress(hostName_.get());
    if (parsed != sockets::kAddressNone) {
        remoteAddress_ = parsed;
    } else {
        const int status = sockets::resolveName(hostName_.get(), remoteAddress_);
        if (status != 0) {
            lastError_ = status;
            return;
        }
    }

    if (!sockets::bindAnyPort(socketHandle_)) {
        recordError();
        return;
    }
    ready_ = buffer_ != nullptr;
}

UdpTransport::~UdpTransport() { sockets::closeSocket(socketHandle_); }

std::int32_t UdpTransport::send(const SnmpPacket& message) {
    if (!ready_) return 0;
    try {
        const std::size_t size = message.encodedSize();
        std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]());
        if (bytes == nullptr) return 0;
        std::uint8_t* start = bytes.get();
        message.encode(start);
        const long sent = sockets::sendDatagram(socketHandle_, bytes.get(), size, remoteAddress_, remotePort_);
        if (sent < 0) {
            recordError();
            return 0;
        }
        return static_cast<std::int32_t>(sent);
    } catch (...) {
        return 0;
    }
}

std::unique_ptr<SnmpMessage> UdpTransport::receive() {
    if (!ready_) return nullptr;
    std::unique_ptr<std::uint8_t[]> scratch(new (std::nothrow) std::uint8_t[bufferSize_]);
    receivedLength_ = 0;
    if (scratch == nullptr) return nullptr;

    if (sockets::waitReadable(socketHandle_, timeout_) <= 0) return nullptr;

    const long received = sockets::receiveDatagram(socketHandle_, scratch.get(), bufferSize_);
    if (received <= 0) {
        // An empty datagram leaves no error code of its own behind.
        if (received < 0) recordError();
        return nullptr;
    }
    receivedLength_ = static_cast<std::int32_t>(received);
    std::memset(buffer_.get(), 0, bufferSize_);
    std::memcpy(buffer_.get(), scratch.get(), static_cast<std::size_t>(received));
    scratch.reset();

    MessageParser parser(buffer_.get(), receivedLength_);
    return parser.release();
}

}  // namespace quillow
