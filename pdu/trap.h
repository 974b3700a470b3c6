// The SNMPv1 Trap PDU: enterprise, agent address, generic-trap,
// specific-trap and time-stamp in place of the request-id and error fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "../values/numbers.h"
#include "../values/oid.h"
#include "../values/strings.h"
#include "pdu.h"

namespace quillow {

class TrapPdu : public SnmpPdu {
public:
    // All five fields start absent.
    TrapPdu() = default;
    ~TrapPdu() override = default;

    // The present fields in wire order: enterprise, agent-addr, generic-trap,
    // specific-trap, time-stamp.
    void encode(std::uint8_t*& out) const override;

    void setGenericTrap(std::int32_t value) override;
    std::int32_t getGenericTrap() const override;
    void setSpecificTrap(std::int32_t value) override;
    std::int32_t getSpecificTrap() const override;
    void setTimeStamp(std::uint32_t value) override;
    std::uint32_t getTimeStamp() const override;
    void setAgentAddress(const char* text) override;
    const char* getAgentAddress() const override;
    void setEnterprise(const char* text) override;
    const char* getEnterprise() const override;

    std::size_t headerSize() const override;
    // A field whose tag does not match its row stays absent, and the next row
    // is read from the byte after that tag. A field read a second time
    // replaces the value it held.
    void decodeHeader(DecodeCursor& cursor) override;
    std::uint8_t getPduType() const override { return kTagTrap; }

private:
    std::unique_ptr<SnmpInteger> genericTrap_;
    std::unique_ptr<SnmpInteger> specificTrap_;
    std::unique_ptr<SnmpTimeTicks> timeStamp_;
    std::unique_ptr<SnmpOid> enterprise_;
    std::unique_ptr<SnmpIpAddress> agentAddress_;
};

}  // namespace quillow
