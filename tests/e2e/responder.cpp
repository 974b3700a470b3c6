// A scripted SNMP responder for the end-to-end tests: it answers one request
// on UDP port 161 with the reply its options describe, including the replies
// a real agent never sends. It builds its bytes with a small BER writer of
// its own rather than with the library under test, so that a fault of the
// library's encoder cannot hide a fault of its decoder.
//
//   quillow_responder [options]
//     --ready FILE         create FILE once the socket is bound
//     --record FILE        write the request's bytes to FILE, in hex
//     --any                bind every local address rather than 127.0.0.1
//     --address A.B.C.D    bind this address rather than 127.0.0.1
//     --port N             listen on port N rather than 161
//     --wait SECONDS       how long to wait for the request (default 20)
//     --expect-none        succeed only if no datagram has arrived when
//                          SIGTERM comes or --wait runs out
//     --silent             take the request and answer nothing
//     --request-id N       answer with this request-id (default: the request's)
//     --error-status N     answer with this error-status (default 0)
//     --pdu-tag HEX        answer with this PDU tag (default A2)
//     --value HEX          the binding's value element (default 02 01 05)
//     --no-bindings        answer with an empty binding list
//     --size N             the value becomes an OCTET STRING of 'x' bytes, as
//                          many as make the whole reply exactly N bytes
//     --trailing N         send N zero bytes after the reply
//     --cut N              leave the reply's last N bytes out
//     --raw HEX            send exactly these bytes (may be empty)
//     --from-other-port    send the answer from a second socket
//
// Exit status: 0 when the exchange went as the options say, 1 otherwise
// (with the reason on standard error).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t stopAsked = 0;
void askStop(int) { stopAsked = 1; }

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "quillow_responder: %s\n", why.c_str());
    std::exit(1);
}

Bytes fromHex(const std::string& text) {
    Bytes bytes;
    int high = -1;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) {
            if (c == ' ' || c == ',' || c == '\n' || c == '\t') continue;
            fail("not a hex digit in '" + text + "'");
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) fail("odd number of hex digits in '" + text + "'");
    return bytes;
}

std::string toHex(const Bytes& bytes) {
    std::string text;
    char part[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(part, sizeof part, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += part;
    }
    return text;
}

// An element in the shortest length form.
Bytes tlv(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    const std::size_t n = content.size();
    if (n < 0x80) {
        out.push_back(static_cast<std::uint8_t>(n));
    } else {
        Bytes length;
        for (std::size_t rest = n; rest != 0; rest >>= 8)
            length.insert(length.begin(), static_cast<std::uint8_t>(rest));
        out.push_back(static_cast<std::uint8_t>(0x80 | length.size()));
        out.insert(out.end(), length.begin(), length.end());
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

// An INTEGER's content in the fewest two's-complement bytes.
Bytes integerContent(long value) {
    Bytes content;
    for (int shift = 24; shift >= 0; shift -= 8) content.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    while (content.size() > 1 &&
           ((content[0] == 0x00 && (content[1] & 0x80) == 0) || (content[0] == 0xFF && (content[1] & 0x80) != 0))) {
        content.erase(content.begin());
    }
    return content;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Reads elements of a received request without trusting any length.
class Reader {
public:
    explicit Reader(const Bytes& bytes) : bytes_(bytes) {}

    // The next element: its tag, and its content's place; the cursor moves
    // into the content for a container, past it otherwise.
    struct Element {
        std::uint8_t tag;
        std::size_t start;
        std::size_t length;
        std::size_t headerStart;
    };
    Element next(bool enter) {
        Element e{};
        e.headerStart = at_;
        e.tag = byte();
        std::size_t length = byte();
        if (length & 0x80) {
            const std::size_t count = length & 0x7F;
            if (count == 0 || count > 4) fail("request has an unusable length field");
            length = 0;
            for (std::size_t i = 0; i < count; ++i) length = (length << 8) | byte();
        }
        if (length > bytes_.size() - at_) fail("request element runs past the datagram");
        e.start = at_;
        e.length = length;
        if (!enter) at_ += length;
        return e;
    }
    Bytes content(const Element& e) const {
        return Bytes(bytes_.begin() + static_cast<long>(e.start),
                     bytes_.begin() + static_cast<long>(e.start + e.length));
    }
    Bytes whole(const Element& e) const {
        return Bytes(bytes_.begin() + static_cast<long>(e.headerStart),
                     bytes_.begin() + static_cast<long>(e.start + e.length));
    }

private:
    std::uint8_t byte() {
        if (at_ >= bytes_.size()) fail("request ends early");
        return bytes_[at_++];
    }
    const Bytes& bytes_;
    std::size_t at_ = 0;
};

struct Request {
    Bytes community;
    Bytes requestId;  // INTEGER content
    Bytes name;       // the first binding's name element, whole
};

Request readRequest(const Bytes& datagram) {
    Reader reader(datagram);
    Request request;
    if (reader.next(true).tag != 0x30) fail("request is not a SEQUENCE");
    if (reader.next(false).tag != 0x02) fail("request has no version");
    const Reader::Element community = reader.next(false);
    if (community.tag != 0x04) fail("request has no community");
    request.community = reader.content(community);
    if (reader.next(true).tag != 0xA0) fail("request is not a GetRequest");
    const Reader::Element id = reader.next(false);
    if (id.tag != 0x02) fail("request has no request-id");
    request.requestId = reader.content(id);
    reader.next(false);  // error-status
    reader.next(false);  // error-index
    if (reader.next(true).tag != 0x30) fail("request has no binding list");
    if (reader.next(true).tag != 0x30) fail("request has no binding");
    request.name = reader.whole(reader.next(false));
    return request;
}

struct Options {
    const char* readyFile = nullptr;
    const char* recordFile = nullptr;
    std::uint32_t address = INADDR_LOOPBACK;
    int port = 161;
    int waitSeconds = 20;
    bool expectNone = false;
    bool silent = false;
    bool hasRequestId = false;
    long requestId = 0;
    long errorStatus = 0;
    std::uint8_t pduTag = 0xA2;
    Bytes value{0x02, 0x01, 0x05};
    bool noBindings = false;
    long size = -1;
    long trailing = 0;
    long cut = 0;
    bool hasRaw = false;
    Bytes raw;
    bool fromOtherPort = false;
};

long number(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') fail(std::string("not a number: ") + text);
    return value;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        auto arg = [&]() -> const char* {
            if (i + 1 >= argc) fail(flag + " needs an argument");
            return argv[++i];
        };
        if (flag == "--ready")
            o.readyFile = arg();
        else if (flag == "--record")
            o.recordFile = arg();
        else if (flag == "--any")
            o.address = INADDR_ANY;
        else if (flag == "--address") {
            in_addr parsed;
            if (::inet_pton(AF_INET, arg(), &parsed) != 1) fail("--address takes a dotted IPv4 address");
            o.address = ntohl(parsed.s_addr);
        } else if (flag == "--port")
            o.port = static_cast<int>(number(arg()));
        else if (flag == "--wait")
            o.waitSeconds = static_cast<int>(number(arg()));
        else if (flag == "--expect-none")
            o.expectNone = true;
        else if (flag == "--silent")
            o.silent = true;
        else if (flag == "--request-id") {
            o.hasRequestId = true;
            o.requestId = number(arg());
        } else if (flag == "--error-status")
            o.errorStatus = number(arg());
        else if (flag == "--pdu-tag") {
            const Bytes tag = fromHex(arg());
            if (tag.size() != 1) fail("--pdu-tag takes one byte");
            o.pduTag = tag[0];
        } else if (flag == "--value")
            o.value = fromHex(arg());
        else if (flag == "--no-bindings")
            o.noBindings = true;
        else if (flag == "--size")
            o.size = number(arg());
        else if (flag == "--trailing")
            o.trailing = number(arg());
        else if (flag == "--cut")
            o.cut = number(arg());
        else if (flag == "--raw") {
            o.hasRaw = true;
            o.raw = fromHex(arg());
        } else if (flag == "--from-other-port")
            o.fromOtherPort = true;
        else
            fail("unknown option " + flag);
    }
    return o;
}

Bytes buildReply(const Options& o, const Request& request, const Bytes& value) {
    const Bytes id = o.hasRequestId ? integerContent(o.requestId) : request.requestId;
    const Bytes bindings = o.noBindings ? Bytes{} : tlv(0x30, cat({request.name, value}));
    const Bytes pdu = tlv(o.pduTag, cat({tlv(0x02, id), tlv(0x02, integerContent(o.errorStatus)),
                                         tlv(0x02, integerContent(0)), tlv(0x30, bindings)}));
    return tlv(0x30, cat({tlv(0x02, integerContent(0)), tlv(0x04, request.community), pdu}));
}

// A reply of exactly the given size, its value a run of 'x' bytes.
Bytes buildSizedReply(const Options& o, const Request& request) {
    long count = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const Bytes reply = buildReply(o, request, tlv(0x04, Bytes(static_cast<std::size_t>(count), 'x')));
        const long missing = o.size - static_cast<long>(reply.size());
        if (missing == 0) return reply;
        count += missing;
        if (count < 0) break;
    }
    fail("no reply of exactly " + std::to_string(o.size) + " bytes can be built");
}

int udpSocket(std::uint32_t address, int port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) fail(std::string("socket: ") + std::strerror(errno));
    sockaddr_in local;
    std::memset(&local, 0, sizeof local);
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        fail("bind to port " + std::to_string(port) + ": " + std::strerror(errno));
    }
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    const int fd = udpSocket(o.address, o.port);
    if (o.readyFile != nullptr) {
        std::FILE* ready = std::fopen(o.readyFile, "w");
        if (ready == nullptr) fail(std::string("cannot create ") + o.readyFile);
        std::fclose(ready);
    }

    // Short waits, so that a SIGTERM is seen soon: it means the run under
    // test is over, and whatever it sent is already queued.
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = askStop;
    ::sigaction(SIGTERM, &action, nullptr);
    bool readable = false;
    for (int slice = 0; slice < o.waitSeconds * 10 && !readable; ++slice) {
        const bool last = stopAsked != 0;
        pollfd entry;
        entry.fd = fd;
        entry.events = POLLIN;
        entry.revents = 0;
        const int waited = ::poll(&entry, 1, last ? 0 : 100);
        if (waited < 0 && errno != EINTR) fail(std::string("poll: ") + std::strerror(errno));
        readable = waited > 0;
        if (last) break;
    }
    if (!readable) {
        if (o.expectNone) return 0;
        fail("no request within " + std::to_string(o.waitSeconds) + " s");
    }

    Bytes datagram(65536);
    sockaddr_in peer;
    socklen_t peerLength = sizeof peer;
    const ssize_t got =
        ::recvfrom(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (got < 0) fail(std::string("recvfrom: ") + std::strerror(errno));
    datagram.resize(static_cast<std::size_t>(got));
    if (o.expectNone) fail("a datagram arrived where none was expected: " + toHex(datagram));
    if (o.recordFile != nullptr) {
        std::FILE* record = std::fopen(o.recordFile, "w");
        if (record == nullptr) fail(std::string("cannot create ") + o.recordFile);
        std::fprintf(record, "%s\n", toHex(datagram).c_str());
        std::fclose(record);
    }
    if (o.silent) return 0;

    Bytes reply;
    if (o.hasRaw) {
        reply = o.raw;
    } else {
        const Request request = readRequest(datagram);
        reply = o.size >= 0 ? buildSizedReply(o, request) : buildReply(o, request, o.value);
        if (o.cut > static_cast<long>(reply.size())) fail("--cut is longer than the reply");
        reply.resize(reply.size() - static_cast<std::size_t>(o.cut));
        reply.insert(reply.end(), static_cast<std::size_t>(o.trailing), 0x00);
    }

    int from = fd;
    if (o.fromOtherPort) from = udpSocket(o.address == INADDR_ANY ? INADDR_LOOPBACK : o.address, 0);
    const ssize_t sent =
        ::sendto(from, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&peer), peerLength);
    if (sent < 0 || static_cast<std::size_t>(sent) != reply.size()) {
        fail("sendto of " + std::to_string(reply.size()) + " bytes: " + std::strerror(errno));
    }
    if (from != fd) ::close(from);
    ::close(fd);
    return 0;
}
