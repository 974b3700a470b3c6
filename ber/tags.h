// The one-byte tags that Quillow writes and reads. Tags are compared as whole
// bytes; the class and constructed bits are never taken apart.
#pragma once

#include <cstdint>

namespace quillow {

// Universal types.
constexpr std::uint8_t kTagInteger = 0x02;
constexpr std::uint8_t kTagOctetString = 0x04;
constexpr std::uint8_t kTagNull = 0x05;
constexpr std::uint8_t kTagObjectIdentifier = 0x06;
constexpr std::uint8_t kTagSequence = 0x30;

// Application types of the SNMP SMI.
constexpr std::uint8_t kTagIpAddress = 0x40;
constexpr std::uint8_t kTagCounter = 0x41;
constexpr std::uint8_t kTagGauge = 0x42;
constexpr std::uint8_t kTagTimeTicks = 0x43;
constexpr std::uint8_t kTagOpaque = 0x44;
constexpr std::uint8_t kTagCounter64 = 0x46;

// PDU tags. GetBulkRequest (0xA5) has no PDU class: nothing writes it and the
// decoder makes no PDU for it.
constexpr std::uint8_t kTagGetRequest = 0xA0;
constexpr std::uint8_t kTagGetNextRequest = 0xA1;
constexpr std::uint8_t kTagGetResponse = 0xA2;
constexpr std::uint8_t kTagSetRequest = 0xA3;
constexpr std::uint8_t kTagTrap = 0xA4;
constexpr std::uint8_t kTagGetBulkRequest = 0xA5;
constexpr std::uint8_t kTagInformRequest = 0xA6;
constexpr std::uint8_t kTagTrapV2 = 0xA7;

// What a message without a PDU answers for its PDU type.
constexpr std::uint8_t kNoPduType = 0xFF;

}  // namespace quillow
