// SnmpPacket: the interface of a whole community-based SNMP message.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../ber/element.h"

namespace quillow {

class SnmpPacket : public BerElement {
public:
    ~SnmpPacket() override = default;

    // Writes the whole message at the cursor's position, through a copy of
    // it: the caller's cursor is left where it was.
    void encode(std::uint8_t*& out) const override = 0;
    virtual std::size_t encodedSize() const = 0;

    virtual std::int32_t getVersion() const = 0;
    virtual const char* getCommunity() const = 0;
    virtual std::int32_t getVarbindCount() const = 0;
    // Bindings by 1-based position; "NULL" where there is none.
    virtual const char* getOidText(std::int32_t position) const = 0;
    virtual const char* getValueTypeName(std::int32_t position) const = 0;
    virtual const char* getValueText(std::int32_t position) const = 0;

    virtual std::int32_t getRequestId() const = 0;
    virtual std::int32_t getErrorIndex() const = 0;
    virtual std::int32_t getErrorStatus() const = 0;

    // One view of SNMPv1 and SNMPv2 notifications.
    virtual std::int32_t getGenericTrap() const = 0;
    virtual std::int32_t getSpecificTrap() const = 0;
    virtual std::uint32_t getTimeStamp() const = 0;
    virtual const char* getAgentAddress() const = 0;
    virtual const char* getEnterprise() const = 0;

    virtual std::uint8_t getPduType() const = 0;

    // Puts sysUpTime.0 and snmpTrapOID.0 in front of the bindings of an
    // SNMPv2 notification; a packet that is not one does nothing.
    virtual void buildV2TrapVarbinds(std::uint32_t timeStamp, const char* enterprise, std::int32_t genericTrap,
                                     std::int32_t specificTrap) {
        static_cast<void>(timeStamp);
        static_cast<void>(enterprise);
        static_cast<void>(genericTrap);
        static_cast<void>(specificTrap);
    }
};

}  // namespace quillow
