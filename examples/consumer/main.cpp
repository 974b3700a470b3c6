// A small program of another project, built against an installed Quillow.
// It builds an SNMPv1 GetRequest for the system description, prints its
// bytes, reads them back with the decoder and prints what it found:
//   consumer                       the request and its decoding only
//   consumer HOST [COMMUNITY]      also sends it to HOST:161 and prints the reply
#include <quillow/message/message.h>
#include <quillow/message/parser.h>
#include <quillow/sockets/sockets.h>
#include <quillow/transport/udp_transport.h>
#include <quillow/values/oid.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr std::int32_t kRequestId = 4242;
constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1.0";

const char* orNull(const char* text) { return text != nullptr ? text : "(null)"; }

void printBinding(const quillow::SnmpMessage& message) {
    std::printf("binding 1: %s %s \"%s\"\n", orNull(message.getOidText(1)), orNull(message.getValueTypeName(1)),
                orNull(message.getValueText(1)));
}

int fetch(const quillow::SnmpMessage& request, const char* host) {
    quillow::sockets::startup();
    int status = 0;
    {
        quillow::UdpTransport transport(161, host);
        transport.setTimeout(5);
        transport.send(request);
        const std::unique_ptr<quillow::SnmpMessage> reply = transport.receive();
        if (reply == nullptr) {
            std::printf("reply: none\n");
            status = 2;
        } else {
            std::printf("reply: pdu 0x%02X, request-id %d, error-status %d\n", reply->getPduType(),
                        reply->getRequestId(), reply->getErrorStatus());
            printBinding(*reply);
        }
    }
    quillow::sockets::cleanup();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const char* community = argc > 2 ? argv[2] : "harbour";

    quillow::SnmpMessage request(quillow::kTagGetRequest, 0);
    request.setCommunity(community);
    request.setRequestId(kRequestId);
    request.addVarbind(new quillow::Varbind(new quillow::SnmpOid(kSysDescr), nullptr));

    std::vector<std::uint8_t> bytes(request.encodedSize());
    std::uint8_t* out = bytes.data();
    request.encode(out);
    std::printf("request:");
    for (std::uint8_t byte : bytes) std::printf(" %02X", byte);
    std::printf("\n");

    quillow::MessageParser parser(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    const std::unique_ptr<quillow::SnmpMessage> decoded = parser.release();
    if (decoded == nullptr) {
        std::printf("decoded: refused\n");
        return 1;
    }
    std::printf("decoded: version %d, community %s, pdu 0x%02X, request-id %d, %d binding(s)\n", decoded->getVersion(),
                orNull(decoded->getCommunity()), decoded->getPduType(), decoded->getRequestId(),
                decoded->getVarbindCount());
    printBinding(*decoded);

    return argc > 1 ? fetch(request, argv[1]) : 0;
}
