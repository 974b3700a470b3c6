#include "request.h"

#include <cstdio>
#include <memory>
#include <new>

#include "../message/message.h"
#include "../sockets/sockets.h"
#include "../transport/udp_transport.h"
#include "../values/oid.h"
#include "outcome.h"

namespace quillow {
namespace cli {

namespace {

constexpr std::int32_t kRequestId = 123;
constexpr std::int32_t kAgentPort = 161;
constexpr std::uint32_t kTimeoutSeconds = 5;

int report(const SnmpMessage* reply) {
    if (reply == nullptr) {
        std::printf(
            "ERROR P1: No returned packet.  Your SNMP community string may be incorrect, or there may be a "
            "problem communicating with the device.\n");
        return kExitNoReply;
    }
    if (reply->getRequestId() != kRequestId) {
        std::printf("ERROR: Request ID does not match\n");
        return kExitRequestIdMismatch;
    }
    if (reply->getErrorStatus() != 0) {
        std::printf("ERROR: Error receiving packet\n");
        return kExitErrorStatus;
    }
    const char* text = reply->getValueText(1);
    std::printf("%s", text != nullptr ? text : "");
    return kExitValuePrinted;
}

}  // namespace

int runRequest(const char* host, const char* community, const char* oid) {
    // A failed start-up needs no check of its own: the socket cannot be made,
    // so the transport is never ready and the run reports no reply at once.
    sockets::startup();
    int status = kExitNoReply;
    {
        SnmpMessage request(kTagGetRequest, 0);
        request.setCommunity(community);
        request.setRequestId(kRequestId);
        SnmpOid* name = new (std::nothrow) SnmpOid(oid);
        Varbind* binding = new (std::nothrow) Varbind(name, nullptr);
        if (binding == nullptr) delete name;
        request.addVarbind(binding);

        UdpTransport transport(kAgentPort, host);
        transport.setTimeout(kTimeoutSeconds);
        transport.send(request);
        const std::unique_ptr<SnmpMessage> reply = transport.receive();
        status = report(reply.get());
    }
    std::fflush(stdout);
    sockets::cleanup();
    return status;
}

}  // namespace cli
}  // namespace quillow
