// The socket layer over POSIX sockets.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sockets.h"

namespace quillow {
namespace sockets {

namespace {
int fd(SocketHandle handle) { return static_cast<int>(handle); }
}  // namespace

int startup() { return 0; }
void cleanup() {}

int lastError() { return errno; }
int hostNotFoundError() { return EAI_NONAME; }

SocketHandle openUdpSocket() {
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (descriptor < 0) return kInvalidSocket;
    return static_cast<SocketHandle>(descriptor);
}

bool bindAnyPort(SocketHandle handle) {
    if (handle == kInvalidSocket) {
        errno = EBADF;
        return false;
    }
    sockaddr_in local;
    std::memset(&local, 0, sizeof local);
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(0);
    return ::bind(fd(handle), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

void closeSocket(SocketHandle handle) {
    if (handle != kInvalidSocket) ::close(fd(handle));
}

std::uint32_t parseAddress(const char* text) { return ::inet_addr(text); }

int resolveName(const char* name, std::uint32_t& address) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(name, nullptr, &hints, &found);
    if (result != 0) return result;
    int status = EAI_NONAME;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in ipv4;
            std::memcpy(&ipv4, entry->ai_addr, sizeof ipv4);
            address = ipv4.sin_addr.s_addr;
            status = 0;
            break;
        }
    }
    ::freeaddrinfo(found);
    return status;
}

const char* addressToText(std::uint32_t address) {
    in_addr in;
    in.s_addr = address;
    return ::inet_ntoa(in);
}

std::uint16_t hostToNetwork16(std::uint16_t value) { return htons(value); }
std::uint32_t hostToNetwork32(std::uint32_t value) { return htonl(value); }

long sendDatagram(SocketHandle handle, const std::uint8_t* bytes, std::size_t size, std::uint32_t address,
                  std::uint16_t port) {
    sockaddr_in remote;
    std::memset(&remote, 0, sizeof remote);
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = port;
    return static_cast<long>(
        ::sendto(fd(handle), bytes, size, 0, reinterpret_cast<const sockaddr*>(&remote), sizeof remote));
}

int waitReadable(SocketHandle handle, std::uint32_t timeoutSeconds) {
    // poll rather than select: select's fixed descriptor set would be written
    // out of bounds by a descriptor above FD_SETSIZE in a program that embeds
    // the library and holds many files open.
    pollfd entry;
    entry.fd = fd(handle);
    entry.events = POLLIN;
    entry.revents = 0;
    int timeoutMs = -1;
    if (timeoutSeconds != 0) {
        const std::uint64_t ms = static_cast<std::uint64_t>(timeoutSeconds) * 1000u;
        timeoutMs = ms > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(ms);
    }
    const int result = ::poll(&entry, 1, timeoutMs);
    if (result <= 0) return result < 0 ? -1 : 0;
    return 1;
}

long receiveDatagram(SocketHandle handle, std::uint8_t* buffer, std::size_t size) {
    // recvmsg reports a datagram longer than the buffer through MSG_TRUNC,
    // where recvfrom would silently hand over its first part.
    iovec part;
    part.iov_base = buffer;
    part.iov_len = size;
    msghdr header;
    std::memset(&header, 0, sizeof header);
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    const ssize_t received = ::recvmsg(fd(handle), &header, 0);
    if (received < 0) return -1;
    if ((header.msg_flags & MSG_TRUNC) != 0) {
        errno = EMSGSIZE;
        return -1;
    }
    return static_cast<long>(received);
}

}  // namespace sockets
}  // namespace quillow
