#include "message.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "../values/dotted.h"
#include "../values/oid.h"

namespace quillow {

namespace {

constexpr const char* kNullText = "NULL";
constexpr const char* kSysUpTime = "1.3.6.1.2.1.1.3.0";
constexpr const char* kSnmpTrapOid = "1.3.6.1.6.3.1.1.4.1.0";
constexpr char kStandardTrapPrefix[] = "1.3.6.1.6.3.1.1.5.";
// The SNMPv2 form of every v1 trap has generic-trap 6.
constexpr std::int32_t kEnterpriseSpecific = 6;

// The default community of every message, built once with its text so that
// all later uses only read it. Its six content bytes live inside the value.
struct DefaultCommunity {
    SnmpOctetString value{SnmpMessage::kDefaultCommunity};
    DefaultCommunity() { value.toText(); }
};

const SnmpOctetString& defaultCommunity() {
    static const DefaultCommunity shared;
    return shared.value;
}

// The texts of a notification's identifier are formatted into buffers of
// these sizes, which hold every input: the standard prefix with the one digit
// of generic-trap + 1 (1 to 6) and the terminator, and behind an enterprise
// ".0." with a 32-bit number ("-2147483648" at the longest) and the
// terminator.
constexpr std::size_t kStandardTrapTextSize = 20;
constexpr std::size_t kEnterpriseTrapTextExtra = 103;
constexpr std::size_t kLongestInt32Text = std::numeric_limits<std::int32_t>::digits10 + 2;
static_assert(sizeof kStandardTrapPrefix - 1 + 1 + 1 <= kStandardTrapTextSize,
              "a standard trap identifier must fit its buffer");
static_assert(sizeof ".0." - 1 + kLongestInt32Text + 1 <= kEnterpriseTrapTextExtra,
              "an enterprise trap identifier must fit its buffer");

}  // namespace

SnmpMessage::SnmpMessage(std::uint32_t pduType, std::int32_t version)
    : version_(new (std::nothrow) SnmpInteger(version)), varbinds_(new (std::nothrow) VarbindList()) {
    setPduType(pduType);
}

SnmpMessage::SnmpMessage() : varbinds_(new (std::nothrow) VarbindList()) {}

SnmpMessage::~SnmpMessage() {
    varbinds_.reset();
    community_.reset();
    version_.reset();
    pdu_.reset();
}

std::size_t SnmpMessage::pduContentSize() const {
    return pdu_->headerSize() + (varbinds_ != nullptr ? varbinds_->encodedSize() : 0);
}

std::size_t SnmpMessage::contentSizeAround(std::size_t pduContent) const {
    std::size_t size = 0;
    if (version_ != nullptr) size += version_->encodedSize();
    const SnmpOctetString* community = getCommunityValue();
    if (community != nullptr) size += community->encodedSize();
    if (pdu_ != nullptr) size += berElementSize(pduContent);
    return size;
}

std::size_t SnmpMessage::contentSize() const { return contentSizeAround(pdu_ != nullptr ? pduContentSize() : 0); }

std::size_t SnmpMessage::encodedSize() const { return berElementSize(contentSize()); }

void SnmpMessage::encode(std::uint8_t*& out) const {
    // The PDU's content length is worked out once and serves both the
    // message's length field and the PDU's own.
    const std::size_t pduContent = pdu_ != nullptr ? pduContentSize() : 0;
    std::uint8_t* at = out;
    *at++ = kTagSequence;
    berWriteLength(at, static_cast<std::uint32_t>(contentSizeAround(pduContent)));
    if (version_ != nullptr) version_->encode(at);
    const SnmpOctetString* community = getCommunityValue();
    if (community != nullptr) community->encode(at);
    if (pdu_ == nullptr) return;
    *at++ = pdu_->getPduType();
    berWriteLength(at, static_cast<std::uint32_t>(pduContent));
    pdu_->encode(at);
    if (varbinds_ != nullptr) varbinds_->encode(at);
}

std::int32_t SnmpMessage::getVersion() const {
    if (version_ == nullptr) throw 0;
    return static_cast<std::int32_t>(version_->getValue());
}

const SnmpOctetString* SnmpMessage::getCommunityValue() const {
    if (community_ != nullptr) return community_.get();
    return defaultCommunity_ ? &defaultCommunity() : nullptr;
}

const char* SnmpMessage::getCommunity() const {
    const SnmpOctetString* community = getCommunityValue();
    return community != nullptr ? community->toText() : nullptr;
}

std::int32_t SnmpMessage::getVarbindCount() const { return varbinds_ != nullptr ? varbinds_->count() : 0; }

Varbind* SnmpMessage::varbindAt(std::int32_t position) const {
    return varbinds_ != nullptr ? varbinds_->at(position) : nullptr;
}

const char* SnmpMessage::getOidText(std::int32_t position) const {
    const Varbind* varbind = varbindAt(position);
    if (varbind == nullptr || varbind->getName() == nullptr) return kNullText;
    return varbind->getName()->toText();
}

const char* SnmpMessage::getValueTypeName(std::int32_t position) const {
    const Varbind* varbind = varbindAt(position);
    if (varbind == nullptr || varbind->getValue() == nullptr) return kNullText;
    return varbind->getValue()->getTypeName();
}

const char* SnmpMessage::getValueText(std::int32_t position) const {
    const Varbind* varbind = varbindAt(position);
    if (varbind == nullptr || varbind->getValue() == nullptr) return kNullText;
    return varbind->getValue()->toText();
}

std::int32_t SnmpMessage::getRequestId() const { return pdu_ != nullptr ? pdu_->getRequestId() : 0; }
std::int32_t SnmpMessage::getErrorIndex() const { return pdu_ != nullptr ? pdu_->getErrorIndex() : 0; }
std::int32_t SnmpMessage::getErrorStatus() const { return pdu_ != nullptr ? pdu_->getErrorStatus() : 0; }

bool SnmpMessage::isV2Notification() const {
    const std::uint8_t type = getPduType();
    return type == kTagTrapV2 || type == kTagInformRequest;
}

std::int32_t SnmpMessage::getGenericTrap() const {
    if (pdu_ == nullptr) return 0;
    return isV2Notification() ? kEnterpriseSpecific : pdu_->getGenericTrap();
}

std::int32_t SnmpMessage::getSpecificTrap() const {
    if (pdu_ == nullptr) return 0;
    if (!isV2Notification()) return pdu_->getSpecificTrap();
    // Binding 2 is snmpTrapOID.0; its value's last arc is the specific-trap.
    const char* text = getValueText(2);
    if (text == nullptr) return 0;
    const char* lastDot = std::strrchr(text, '.');
    if (lastDot == nullptr) return 0;
    return toSigned32(readDecimal(lastDot + 1));
}

std::uint32_t SnmpMessage::getTimeStamp() const { return pdu_ != nullptr ? pdu_->getTimeStamp() : 0; }
const char* SnmpMessage::getAgentAddress() const { return pdu_ != nullptr ? pdu_->getAgentAddress() : nullptr; }
const char* SnmpMessage::getEnterprise() const { return pdu_ != nullptr ? pdu_->getEnterprise() : nullptr; }

std::uint8_t SnmpMessage::getPduType() const { return pdu_ != nullptr ? pdu_->getPduType() : kNoPduType; }

void SnmpMessage::buildV2TrapVarbinds(std::uint32_t timeStamp, const char* enterprise, std::int32_t genericTrap,
                                      std::int32_t specificTrap) {
    if ((pduType_ != kTagTrapV2 && pduType_ != kTagInformRequest) || varbinds_ == nullptr) return;

    // A binding whose allocation fails is left out; one whose name or value
    // fails is kept without it (a missing value goes out as NULL).
    SnmpOid* upTimeName = new (std::nothrow) SnmpOid(kSysUpTime);
    SnmpTimeTicks* upTime = new (std::nothrow) SnmpTimeTicks(timeStamp);
    Varbind* first = new (std::nothrow) Varbind(upTimeName, upTime);
    if (first == nullptr) {
        delete upTimeName;
        delete upTime;
    }

    SnmpOid* trapOidName = new (std::nothrow) SnmpOid(kSnmpTrapOid);
    // The enterprise is used only for generic-trap outside 0 to 5; a missing
    // one counts as empty. Both texts are formatted with their bound (see the
    // sizes above), so neither is ever cut.
    const char* base = enterprise != nullptr ? enterprise : "";
    const bool standard = genericTrap >= 0 && genericTrap <= 5;
    const std::size_t capacity = standard ? kStandardTrapTextSize : std::strlen(base) + kEnterpriseTrapTextExtra;
    std::unique_ptr<char[]> text(new (std::nothrow) char[capacity]);
    SnmpOid* trapOid = nullptr;
    if (text != nullptr) {
        if (standard) {
            std::snprintf(text.get(), capacity, "%s%d", kStandardTrapPrefix, static_cast<int>(genericTrap + 1));
        } else {
            std::snprintf(text.get(), capacity, "%s.0.%d", base, static_cast<int>(specificTrap));
        }
        trapOid = new (std::nothrow) SnmpOid(text.get());
    }
    Varbind* second = new (std::nothrow) Varbind(trapOidName, trapOid);
    if (second == nullptr) {
        delete trapOidName;
        delete trapOid;
    }

    Varbind* former = varbinds_->replaceHead(first);
    varbinds_->append(second);
    varbinds_->append(former);
}

void SnmpMessage::setRequestId(std::int32_t value) {
    if (pdu_ != nullptr) pdu_->setRequestId(value);
}
void SnmpMessage::setErrorIndex(std::int32_t value) {
    if (pdu_ != nullptr) pdu_->setErrorIndex(value);
}
void SnmpMessage::setErrorStatus(std::int32_t value) {
    if (pdu_ != nullptr) pdu_->setErrorStatus(value);
}
void SnmpMessage::setGenericTrap(std::int32_t value) {
    if (pdu_ != nullptr) pdu_->setGenericTrap(value);
}
void SnmpMessage::setSpecificTrap(std::int32_t value) {
    if (pdu_ != nullptr) pdu_->setSpecificTrap(value);
}
void SnmpMessage::setTimeStamp(std::uint32_t value) {
    if (pdu_ != nullptr) pdu_->setTimeStamp(value);
}
void SnmpMessage::setAgentAddress(const char* text) {
    if (pdu_ != nullptr) pdu_->setAgentAddress(text);
}
void SnmpMessage::setEnterprise(const char* text) {
    if (pdu_ != nullptr) pdu_->setEnterprise(text);
}

void SnmpMessage::setPduType(std::uint32_t tag) {
    pduType_ = tag;
    if (!hasPduClass(tag)) return;
    pdu_.reset();
    pdu_.reset(makePdu(tag));
}

void SnmpMessage::setPdu(SnmpPdu* pdu) {
    if (pdu != pdu_.get()) pdu_.reset(pdu);
}

void SnmpMessage::setVersion(SnmpInteger* version) {
    if (version != version_.get()) version_.reset(version);
}

void SnmpMessage::setCommunityValue(SnmpOctetString* community) {
    if (community != community_.get()) community_.reset(community);
    defaultCommunity_ = false;
}

void SnmpMessage::setCommunity(const char* text) {
    community_.reset();
    community_.reset(new (std::nothrow) SnmpOctetString(text));
    defaultCommunity_ = false;
}

void SnmpMessage::addVarbind(Varbind* varbind) {
    if (varbinds_ == nullptr) {
        delete varbind;
        return;
    }
    varbinds_->append(varbind);
}

}  // namespace quillow
