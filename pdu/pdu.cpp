#include "pdu.h"

#include <ctime>
#include <new>

#include "../sockets/sockets.h"
#include "fields.h"
#include "trap.h"

namespace quillow {

namespace {

std::int32_t currentTimeSeconds() {
    const std::time_t now = std::time(nullptr);
    return toSigned32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(now) & 0xFFFFFFFFu));
}

}  // namespace

BasicPdu::BasicPdu()
    : requestId_(new (std::nothrow) SnmpInteger(currentTimeSeconds())),
      errorStatus_(new (std::nothrow) SnmpInteger(0)),
      errorIndex_(new (std::nothrow) SnmpInteger(0)) {}

void BasicPdu::encode(std::uint8_t*& out) const {
    fields::encodeIfPresent(requestId_, out);
    fields::encodeIfPresent(errorStatus_, out);
    fields::encodeIfPresent(errorIndex_, out);
}

void BasicPdu::setRequestId(std::int32_t value) { fields::replace(requestId_, value); }
std::int32_t BasicPdu::getRequestId() const { return fields::numberOf<std::int32_t>(requestId_); }
void BasicPdu::setErrorIndex(std::int32_t value) { fields::replace(errorIndex_, value); }
std::int32_t BasicPdu::getErrorIndex() const { return fields::numberOf<std::int32_t>(errorIndex_); }
void BasicPdu::setErrorStatus(std::int32_t value) { fields::replace(errorStatus_, value); }
std::int32_t BasicPdu::getErrorStatus() const { return fields::numberOf<std::int32_t>(errorStatus_); }

std::size_t BasicPdu::headerSize() const {
    return fields::sizeOf(requestId_) + fields::sizeOf(errorStatus_) + fields::sizeOf(errorIndex_);
}

void BasicPdu::decodeHeader(DecodeCursor& cursor) {
    fields::decode(cursor, kTagInteger, requestId_);
    fields::decode(cursor, kTagInteger, errorStatus_);
    fields::decode(cursor, kTagInteger, errorIndex_);
}

void BasicPdu::makeResponse() { pduType_ = kTagGetResponse; }

GetRequestPdu::GetRequestPdu() { pduType_ = kTagGetRequest; }
GetNextRequestPdu::GetNextRequestPdu() { pduType_ = kTagGetNextRequest; }
GetResponsePdu::GetResponsePdu() { pduType_ = kTagGetResponse; }
SetRequestPdu::SetRequestPdu() { pduType_ = kTagSetRequest; }
InformRequestPdu::InformRequestPdu() { pduType_ = kTagInformRequest; }
TrapV2Pdu::TrapV2Pdu() { pduType_ = kTagTrapV2; }

const char* NotificationPdu::getAgentAddress() const { return sockets::addressToText(agentAddress_); }

SnmpPdu* makePdu(std::uint32_t tag) {
    switch (tag) {
        case kTagGetRequest: return new (std::nothrow) GetRequestPdu();
        case kTagGetNextRequest: return new (std::nothrow) GetNextRequestPdu();
        case kTagGetResponse: return new (std::nothrow) GetResponsePdu();
        case kTagSetRequest: return new (std::nothrow) SetRequestPdu();
        case kTagTrap: return new (std::nothrow) TrapPdu();
        case kTagInformRequest: return new (std::nothrow) InformRequestPdu();
        case kTagTrapV2: return new (std::nothrow) TrapV2Pdu();
        default: return nullptr;
    }
}

}  // namespace quillow
