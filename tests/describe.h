// Everything a reader can ask of a decoded message, as one text, so that two
// messages can be compared field by field and a difference shows where it is.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "message/message.h"

namespace quillow {
namespace test {

inline std::string orNull(const char* text) { return text != nullptr ? std::string("\"") + text + "\"" : "null"; }

inline std::string describe(const SnmpMessage& message) {
    std::string out;
    char line[96];
    try {
        std::snprintf(line, sizeof line, "version %d\n", static_cast<int>(message.getVersion()));
        out += line;
    } catch (int) {
        out += "version none\n";
    }
    out += "community " + orNull(message.getCommunity()) + "\n";
    std::snprintf(line, sizeof line, "pdu %02X request-id %d error-status %d error-index %d\n", message.getPduType(),
                  static_cast<int>(message.getRequestId()), static_cast<int>(message.getErrorStatus()),
                  static_cast<int>(message.getErrorIndex()));
    out += line;
    std::snprintf(line, sizeof line, "generic %d specific %d time-stamp %u\n",
                  static_cast<int>(message.getGenericTrap()), static_cast<int>(message.getSpecificTrap()),
                  static_cast<unsigned>(message.getTimeStamp()));
    out += line;
    // The agent address may live in a buffer of the sockets library; it is
    // copied before anything else can overwrite it.
    out += "agent " + orNull(message.getAgentAddress()) + "\n";
    out += "enterprise " + orNull(message.getEnterprise()) + "\n";
    const std::int32_t count = message.getVarbindCount();
    for (std::int32_t i = 1; i <= count; ++i) {
        const Varbind* binding = message.getVarbinds()->at(i);
        const char* nameType = binding->getName() != nullptr ? binding->getName()->getTypeName() : nullptr;
        std::snprintf(line, sizeof line, "binding %d ", static_cast<int>(i));
        out += line;
        out += orNull(nameType) + " " + orNull(message.getOidText(i)) + " = " + orNull(message.getValueTypeName(i)) +
               " " + orNull(message.getValueText(i)) + "\n";
    }
    return out;
}

}  // namespace test
}  // namespace quillow
