// The socket layer: the few socket operations Quillow needs, over POSIX
// sockets or Winsock, chosen at compile time. This is the only code that
// includes a platform header; addresses and ports cross it as plain numbers
// in network byte order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillow {
namespace sockets {

// Wide enough for a Winsock SOCKET and a POSIX descriptor alike.
using SocketHandle = std::uintptr_t;
constexpr SocketHandle kInvalidSocket = ~static_cast<SocketHandle>(0);

// What the address parser answers for a text that is not a dotted address.
constexpr std::uint32_t kAddressNone = 0xFFFFFFFFu;

// Starts the platform's sockets (Winsock asks for version 1.1); on POSIX it
// does nothing. Returns 0 on success or the platform's error code.
int startup();
// Undoes startup; on POSIX it does nothing.
void cleanup();

// The platform's code for the most recent failed socket call: errno on POSIX,
// WSAGetLastError() on Windows.
int lastError();
// The code that stands for "host not found", for a host text that is
// refused before any lookup.
int hostNotFoundError();

// A UDP socket, or kInvalidSocket (see lastError).
SocketHandle openUdpSocket();
// Binds to every local address and a port of the system's choosing.
bool bindAnyPort(SocketHandle handle);
void closeSocket(SocketHandle handle);

// The dotted-decimal text as an address in network byte order, or
// kAddressNone.
std::uint32_t parseAddress(const char* text);
// Looks the name up and gives its first IPv4 address in network byte order.
// Returns 0 on success or the resolver's error code; only an IPv4 answer
// counts as success.
int resolveName(const char* name, std::uint32_t& address);
// The dotted-decimal text of an address in network byte order. The text
// lives in a buffer of the sockets library that the next call overwrites.
const char* addressToText(std::uint32_t address);

std::uint16_t hostToNetwork16(std::uint16_t value);
std::uint32_t hostToNetwork32(std::uint32_t value);

// Sends one datagram to the address and port (both in network byte order).
// Returns the byte count sent, or a negative number on failure.
long sendDatagram(SocketHandle handle, const std::uint8_t* bytes, std::size_t size, std::uint32_t address,
                  std::uint16_t port);

// Waits until the socket can be read: 1 when it can, 0 when the time ran out,
// negative on failure. A timeout of 0 waits without limit.
int waitReadable(SocketHandle handle, std::uint32_t timeoutSeconds);

// Reads one datagram into the buffer. Returns its size, or a negative number
// on failure. A datagram longer than the buffer is a failure on every
// platform (Winsock's WSAEMSGSIZE, EMSGSIZE on POSIX), never a silent part.
long receiveDatagram(SocketHandle handle, std::uint8_t* buffer, std::size_t size);

}  // namespace sockets
}  // namespace quillow
