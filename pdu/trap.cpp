#include "trap.h"

#include "fields.h"

namespace quillow {

using fields::decode;
using fields::encodeIfPresent;
using fields::replace;
using fields::sizeOf;
using fields::textOf;

void TrapPdu::encode(std::uint8_t*& out) const {
    encodeIfPresent(enterprise_, out);
    encodeIfPresent(agentAddress_, out);
    encodeIfPresent(genericTrap_, out);
    encodeIfPresent(specificTrap_, out);
    encodeIfPresent(timeStamp_, out);
}

void TrapPdu::setGenericTrap(std::int32_t value) { replace(genericTrap_, value); }
std::int32_t TrapPdu::getGenericTrap() const { return fields::numberOf<std::int32_t>(genericTrap_); }
void TrapPdu::setSpecificTrap(std::int32_t value) { replace(specificTrap_, value); }
std::int32_t TrapPdu::getSpecificTrap() const { return fields::numberOf<std::int32_t>(specificTrap_); }
void TrapPdu::setTimeStamp(std::uint32_t value) { replace(timeStamp_, value); }
std::uint32_t TrapPdu::getTimeStamp() const { return fields::numberOf<std::uint32_t>(timeStamp_); }
void TrapPdu::setAgentAddress(const char* text) { replace(agentAddress_, text); }
const char* TrapPdu::getAgentAddress() const { return textOf(agentAddress_); }
void TrapPdu::setEnterprise(const char* text) { replace(enterprise_, text); }
const char* TrapPdu::getEnterprise() const { return textOf(enterprise_); }

std::size_t TrapPdu::headerSize() const {
    return sizeOf(enterprise_) + sizeOf(agentAddress_) + sizeOf(genericTrap_) + sizeOf(specificTrap_) +
           sizeOf(timeStamp_);
}

void TrapPdu::decodeHeader(DecodeCursor& cursor) {
    decode(cursor, kTagObjectIdentifier, enterprise_);
    decode(cursor, kTagIpAddress, agentAddress_);
    decode(cursor, kTagInteger, genericTrap_);
    decode(cursor, kTagInteger, specificTrap_);
    decode(cursor, kTagTimeTicks, timeStamp_);
}

}  // namespace quillow
