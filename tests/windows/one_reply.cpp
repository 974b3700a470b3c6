// one_reply: a scripted SNMP responder for the replies a real agent never
// sends. It waits for one GetRequest on the given address and port 161 and
// answers it with one GetResponse, built here byte by byte, whose request-id
// is the request's own (or one more with --wrong-id) and whose one binding
// carries an OCTET STRING of 'x' bytes sized so that the message is exactly
// --size bytes long. --trailing K sends K zero bytes after the message in the
// same datagram; --empty answers with an empty datagram instead.
//   one_reply ADDRESS (--size N [--trailing K] [--wrong-id] | --empty)
// It prints "listening" once its port is bound and "value N" with the
// value's length once it has answered. It reads only what it needs of the
// request and gives up after 30 seconds. Exit status: 0 after answering, 1
// on bad options, 2 on a socket failure or timeout, 3 when the request
// cannot be read.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void appendLength(Bytes& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    Bytes digits;
    for (std::size_t rest = length; rest != 0; rest >>= 8) {
        digits.insert(digits.begin(), static_cast<std::uint8_t>(rest));
    }
    out.push_back(static_cast<std::uint8_t>(0x80 | digits.size()));
    out.insert(out.end(), digits.begin(), digits.end());
}

Bytes element(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    appendLength(out, content.size());
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes integer(std::int32_t value) {
    Bytes content;
    auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift > 0; shift -= 8) {
        // Drop a leading byte that only repeats the sign of the next one.
        const auto top = static_cast<std::uint8_t>(bits >> shift);
        const auto next = static_cast<std::uint8_t>(bits >> (shift - 8));
        if (content.empty() && ((top == 0x00 && next < 0x80) || (top == 0xFF && next >= 0x80))) continue;
        content.push_back(top);
    }
    content.push_back(static_cast<std::uint8_t>(bits));
    return element(0x02, content);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A GetResponse for sysDescr.0 whose value is `valueLength` bytes of 'x'.
Bytes response(const Bytes& community, std::int32_t requestId, std::size_t valueLength) {
    const Bytes name = element(0x06, {0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00});
    const Bytes value = element(0x04, Bytes(valueLength, 'x'));
    const Bytes bindings = element(0x30, element(0x30, concat({name, value})));
    const Bytes pdu = element(0xA2, concat({integer(requestId), integer(0), integer(0), bindings}));
    return element(0x30, concat({integer(0), element(0x04, community), pdu}));
}

// Reads one tag-length header at `at`; false when it does not fit.
bool readHeader(const Bytes& bytes, std::size_t& at, std::uint8_t& tag, std::size_t& length) {
    if (at + 2 > bytes.size()) return false;
    tag = bytes[at++];
    std::size_t first = bytes[at++];
    if (first < 0x80) {
        length = first;
    } else {
        const std::size_t count = first & 0x7F;
        if (count == 0 || count > 4 || at + count > bytes.size()) return false;
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = (length << 8) | bytes[at++];
    }
    return at + length <= bytes.size();
}

// The community and request-id of a GetRequest.
bool readRequest(const Bytes& bytes, Bytes& community, std::int32_t& requestId) {
    std::size_t at = 0;
    std::uint8_t tag = 0;
    std::size_t length = 0;
    if (!readHeader(bytes, at, tag, length) || tag != 0x30) return false;
    if (!readHeader(bytes, at, tag, length) || tag != 0x02) return false;
    at += length;
    if (!readHeader(bytes, at, tag, length) || tag != 0x04) return false;
    community.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + length));
    at += length;
    if (!readHeader(bytes, at, tag, length) || tag != 0xA0) return false;
    if (!readHeader(bytes, at, tag, length) || tag != 0x02 || length == 0 || length > 4) return false;
    std::uint32_t bits = (bytes[at] & 0x80) != 0 ? 0xFFFFFFFFu : 0u;
    for (std::size_t i = 0; i < length; ++i) bits = (bits << 8) | bytes[at + i];
    requestId = static_cast<std::int32_t>(bits);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: one_reply ADDRESS (--size N [--trailing K] [--wrong-id] | --empty)\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    long size = -1;
    long trailing = 0;
    bool wrongId = false;
    bool empty = false;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--size" && i + 1 < argc) {
            size = std::strtol(argv[++i], nullptr, 10);
        } else if (option == "--trailing" && i + 1 < argc) {
            trailing = std::strtol(argv[++i], nullptr, 10);
        } else if (option == "--wrong-id") {
            wrongId = true;
        } else if (option == "--empty") {
            empty = true;
        } else {
            return usage();
        }
    }
    if (empty == (size >= 0) || trailing < 0) return usage();

    const int socketFd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local;
    std::memset(&local, 0, sizeof local);
    local.sin_family = AF_INET;
    local.sin_port = htons(161);
    if (socketFd < 0 || ::inet_pton(AF_INET, argv[1], &local.sin_addr) != 1 ||
        ::bind(socketFd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        std::perror("one_reply: bind");
        return 2;
    }
    // Tells the caller that the port is bound and requests may come.
    std::printf("listening\n");
    std::fflush(stdout);

    pollfd entry{socketFd, POLLIN, 0};
    if (::poll(&entry, 1, 30000) != 1) {
        std::fprintf(stderr, "one_reply: no request within 30 seconds\n");
        return 2;
    }
    Bytes request(65536);
    sockaddr_in sender;
    socklen_t senderLength = sizeof sender;
    const ssize_t received =
        ::recvfrom(socketFd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received < 0) {
        std::perror("one_reply: recvfrom");
        return 2;
    }
    request.resize(static_cast<std::size_t>(received));

    Bytes community;
    std::int32_t requestId = 0;
    if (!readRequest(request, community, requestId)) {
        std::fprintf(stderr, "one_reply: the request is not a GetRequest\n");
        return 3;
    }
    if (wrongId) requestId = static_cast<std::int32_t>(static_cast<std::uint32_t>(requestId) + 1u);

    Bytes reply;
    std::size_t valueLength = 0;
    if (!empty) {
        const auto wanted = static_cast<std::size_t>(size);
        // The headers grow with the value, so look for the value length that
        // makes the whole datagram the size asked for.
        valueLength = wanted;
        while (valueLength > 0 && response(community, requestId, valueLength).size() > wanted) --valueLength;
        reply = response(community, requestId, valueLength);
        if (reply.size() != wanted) {
            std::fprintf(stderr, "one_reply: no reply is exactly %zu bytes long\n", wanted);
            return 1;
        }
        reply.resize(reply.size() + static_cast<std::size_t>(trailing), 0);
    }
    if (::sendto(socketFd, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&sender), senderLength) !=
        static_cast<ssize_t>(reply.size())) {
        std::perror("one_reply: sendto");
        return 2;
    }
    ::close(socketFd);
    std::printf("value %zu\n", valueLength);
    return 0;
}
