// MessageParser: turns the bytes of one received datagram into a new
// SnmpMessage, in one forward pass over the fixed order of the layout.
#pragma once

#include <cstdint>
#include <memory>

#include "message.h"

namespace quillow {

class MessageParser {
public:
    // Decodes at once. The caller keeps the bytes; the message holds copies
    // of everything it takes from them. A datagram is refused (no message)
    // when its outer length is greater than the bytes received, when any read
    // would pass the end of the bytes or meets a malformed length, and when
    // an allocation fails, so a message is never half built.
    MessageParser(const std::uint8_t* bytes, std::int32_t count);
    ~MessageParser() = default;
    MessageParser(const MessageParser&) = delete;
    MessageParser& operator=(const MessageParser&) = delete;

    // Hands the message (or null) to the caller, who owns it from then on.
    std::unique_ptr<SnmpMessage> release() { return std::move(message_); }

private:
    std::unique_ptr<SnmpMessage> decode(const std::uint8_t* bytes, std::size_t count);

    std::unique_ptr<SnmpMessage> message_;
};

// A new value of the class that the tag names, decoded at the cursor (which
// stands just after the tag): INTEGER, OCTET STRING, OBJECT IDENTIFIER,
// IpAddress, Counter, Gauge, TimeTicks, Counter64, and Opaque for every other
// tag. Null when the allocation fails.
SnmpValue* decodeValue(std::uint8_t tag, DecodeCursor& cursor);

}  // namespace quillow
