#include "parser.h"

#include <new>

#include "../values/counter64.h"
#include "../values/oid.h"

namespace quillow {

SnmpValue* decodeValue(std::uint8_t tag, DecodeCursor& cursor) {
    switch (tag) {
        case kTagInteger: return new (std::nothrow) SnmpInteger(cursor);
        case kTagOctetString: return new (std::nothrow) SnmpOctetString(cursor);
        case kTagObjectIdentifier: return new (std::nothrow) SnmpOid(cursor);
        case kTagIpAddress: return new (std::nothrow) SnmpIpAddress(cursor);
        case kTagCounter: return new (std::nothrow) SnmpCounter(cursor);
        case kTagGauge: return new (std::nothrow) SnmpGauge(cursor);
        case kTagTimeTicks: return new (std::nothrow) SnmpTimeTicks(cursor);
        case kTagCounter64: return new (std::nothrow) SnmpCounter64(cursor);
        default: return new (std::nothrow) SnmpOpaque(cursor);
    }
}

MessageParser::MessageParser(const std::uint8_t* bytes, std::int32_t count)
    : message_(count > 0 ? decode(bytes, static_cast<std::size_t>(count)) : nullptr) {}

std::unique_ptr<SnmpMessage> MessageParser::decode(const std::uint8_t* bytes, std::size_t count) {
    DecodeCursor cursor(bytes, count);

    // The outer SEQUENCE: its tag is not examined, and its length serves only
    // to refuse a datagram shorter than it claims.
    cursor.readByte();
    const std::uint32_t outerLength = berReadLength(cursor);
    if (cursor.bad() || outerLength > count) return nullptr;

    // The new message must be whole before anything goes into it.
    std::unique_ptr<SnmpMessage> message(new (std::nothrow) SnmpMessage());
    if (message == nullptr || message->getVarbinds() == nullptr) return nullptr;

    if (berReadTag(cursor) == kTagInteger) {
        SnmpInteger* version = new (std::nothrow) SnmpInteger(cursor);
        if (version == nullptr) return nullptr;
        message->setVersion(version);
    }
    if (berReadTag(cursor) == kTagOctetString) {
        SnmpOctetString* community = new (std::nothrow) SnmpOctetString(cursor);
        if (community == nullptr) return nullptr;
        message->setCommunityValue(community);
    }

    // A PDU tag without a class (GetBulk among them) leaves the message
    // without a PDU, and the bindings are read from after its length field.
    const std::uint8_t pduTag = cursor.readByte();
    if (cursor.bad()) return nullptr;
    if (hasPduClass(pduTag)) {
        SnmpPdu* pdu = makePdu(pduTag);
        if (pdu == nullptr) return nullptr;
        message->setPdu(pdu);
    }
    berReadLength(cursor);
    if (message->getPdu() != nullptr) message->getPdu()->decodeHeader(cursor);

    // The list ends its length beyond the end of its length field, so the
    // length is read before the position is taken.
    cursor.readByte();
    const std::uint32_t listLength = berReadLength(cursor);
    const std::uint64_t listEnd = cursor.offset() + static_cast<std::uint64_t>(listLength);

    // Names and values alternate strictly; the bindings' own lengths are read
    // and not used. A binding joins the message once it has both.
    bool nameExpected = true;
    std::unique_ptr<Varbind> pending;
    while (cursor.good() && cursor.offset() < listEnd) {
        if (nameExpected) {
            cursor.readByte();
            berReadLength(cursor);
        }
        const std::uint8_t tag = cursor.readByte();
        if (cursor.bad()) break;
        std::unique_ptr<SnmpValue> element(decodeValue(tag, cursor));
        if (element == nullptr) return nullptr;
        if (pending == nullptr) {
            pending.reset(new (std::nothrow) Varbind());
            if (pending == nullptr) return nullptr;
        }
        if (nameExpected) {
            pending->setName(element.release());
        } else {
            pending->setValue(element.release());
        }
        if (pending->getName() != nullptr && pending->getValue() != nullptr) {
            message->addVarbind(pending.release());
        }
        nameExpected = !nameExpected;
    }
    // A trailing name without a value is dropped with `pending`.

    if (cursor.bad()) return nullptr;
    return message;
}

}  // namespace quillow
