// The socket layer over Winsock. Only calls that Windows Sockets 1.1 already
// offers are used, so the tool runs wherever a Winsock DLL answers a request
// for version 1.1.
#include <winsock2.h>

#include <climits>
#include <cstring>

#include "sockets.h"

namespace quillow {
namespace sockets {

namespace {
SOCKET sock(SocketHandle handle) { return static_cast<SOCKET>(handle); }
}  // namespace

int startup() {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(1, 1), &data);
}

void cleanup() { ::WSACleanup(); }

int lastError() { return ::WSAGetLastError(); }
int hostNotFoundError() { return WSAHOST_NOT_FOUND; }

SocketHandle openUdpSocket() {
    const SOCKET handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handle == INVALID_SOCKET) return kInvalidSocket;
    return static_cast<SocketHandle>(handle);
}

bool bindAnyPort(SocketHandle handle) {
    if (handle == kInvalidSocket) {
        ::WSASetLastError(WSAENOTSOCK);
        return false;
    }
    sockaddr_in local;
    std::memset(&local, 0, sizeof local);
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(0);
    return ::bind(sock(handle), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

void closeSocket(SocketHandle handle) {
    if (handle != kInvalidSocket) ::closesocket(sock(handle));
}

std::uint32_t parseAddress(const char* text) { return ::inet_addr(text); }

int resolveName(const char* name, std::uint32_t& address) {
    const hostent* host = ::gethostbyname(name);
    if (host == nullptr) return ::WSAGetLastError();
    if (host->h_addrtype != AF_INET || host->h_length != 4 || host->h_addr_list[0] == nullptr) {
        return WSANO_DATA;
    }
    std::memcpy(&address, host->h_addr_list[0], 4);
    return 0;
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
    // Winsock counts bytes in an int; a larger datagram is refused whole
    // rather than cut short by the conversion.
    if (size > static_cast<std::size_t>(INT_MAX)) {
        ::WSASetLastError(WSAEMSGSIZE);
        return -1;
    }
    sockaddr_in remote;
    std::memset(&remote, 0, sizeof remote);
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = port;
    return ::sendto(sock(handle), reinterpret_cast<const char*>(bytes), static_cast<int>(size), 0,
                    reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
}

int waitReadable(SocketHandle handle, std::uint32_t timeoutSeconds) {
    // A Winsock fd_set is a list of handles, not a bitmap: one socket always fits.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(sock(handle), &readable);
    // A long holds 32 bits on Windows: longer waits are cut to the longest it
    // holds (some 68 years) instead of turning negative, and a negative limit
    // would end the wait at once.
    timeval limit;
    limit.tv_sec = timeoutSeconds > static_cast<std::uint32_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(timeoutSeconds);
    limit.tv_usec = 0;
    const int result = ::select(0, &readable, nullptr, nullptr, timeoutSeconds == 0 ? nullptr : &limit);
    if (result == SOCKET_ERROR) return -1;
    return result > 0 ? 1 : 0;
}

long receiveDatagram(SocketHandle handle, std::uint8_t* buffer, std::size_t size) {
    // Winsock refuses a datagram longer than the buffer: recvfrom fails with
    // WSAEMSGSIZE (the first part lands in the buffer, but is not counted as
    // received) and the rest of the datagram is gone.
    const int room = size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
    const int received = ::recvfrom(sock(handle), reinterpret_cast<char*>(buffer), room, 0, nullptr, nullptr);
    if (received == SOCKET_ERROR) return -1;
    return received;
}

}  // namespace sockets
}  // namespace quillow
