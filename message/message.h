// SnmpMessage: version, community, PDU and variable bindings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "../pdu/pdu.h"
#include "../pdu/varbind.h"
#include "../values/numbers.h"
#include "../values/strings.h"
#include "packet.h"

namespace quillow {

class SnmpMessage : public SnmpPacket {
public:
    // The community every new message carries until one is set.
    static constexpr const char* kDefaultCommunity = "tundra";

    // For sending: an empty list, the default community, the version, and a
    // PDU of the given type (see setPduType).
    SnmpMessage(std::uint32_t pduType, std::int32_t version);
    // For decoding: an empty list and the default community; no version and
    // no PDU.
    SnmpMessage();
    ~SnmpMessage() override;

    void encode(std::uint8_t*& out) const override;
    std::size_t encodedSize() const override;
    // The size of version, community and PDU element, without the outer
    // SEQUENCE's tag and length.
    std::size_t contentSize() const;

    // Throws the integer 0 when the message has no version.
    std::int32_t getVersion() const override;
    // The community's text, or null when there is none.
    const char* getCommunity() const override;
    std::int32_t getVarbindCount() const override;
    // "NULL" for a position without a binding, and for a binding without a
    // name or without a value.
    const char* getOidText(std::int32_t position) const override;
    const char* getValueTypeName(std::int32_t position) const override;
    const char* getValueText(std::int32_t position) const override;

    // Forwarded to the PDU; 0 without one.
    std::int32_t getRequestId() const override;
    std::int32_t getErrorIndex() const override;
    std::int32_t getErrorStatus() const override;

    // For SNMPv2 notifications (PDU tag 0xA7 or 0xA6) the generic-trap is 6
    // and the specific-trap the last arc of binding 2's value; otherwise they
    // are forwarded to the PDU.
    std::int32_t getGenericTrap() const override;
    std::int32_t getSpecificTrap() const override;
    std::uint32_t getTimeStamp() const override;
    const char* getAgentAddress() const override;
    const char* getEnterprise() const override;

    // The PDU object's own tag; 0xFF without a PDU.
    std::uint8_t getPduType() const override;

    // Goes by the recorded PDU type (the one given to the constructor or to
    // setPduType), so a decoded message is never changed.
    void buildV2TrapVarbinds(std::uint32_t timeStamp, const char* enterprise, std::int32_t genericTrap,
                             std::int32_t specificTrap) override;

    // Forwarded to the PDU; nothing without one.
    virtual void setRequestId(std::int32_t value);
    virtual void setErrorIndex(std::int32_t value);
    virtual void setErrorStatus(std::int32_t value);
    virtual void setGenericTrap(std::int32_t value);
    virtual void setSpecificTrap(std::int32_t value);
    virtual void setTimeStamp(std::uint32_t value);
    virtual void setAgentAddress(const char* text);
    virtual void setEnterprise(const char* text);

    // Records the tag. For a tag with a PDU class (0xA0 to 0xA4, 0xA6, 0xA7)
    // the PDU is replaced by a new one of that class; for any other tag the
    // PDU stays.
    void setPduType(std::uint32_t tag);
    // The tag last given to the constructor or to setPduType; 0 on a decoded
    // message.
    std::uint32_t getRecordedPduType() const { return pduType_; }
    // Takes the PDU over (null allowed); the recorded type is not changed.
    void setPdu(SnmpPdu* pdu);
    SnmpPdu* getPdu() const { return pdu_.get(); }

    // Take the value over.
    void setVersion(SnmpInteger* version);
    void setCommunityValue(SnmpOctetString* community);
    void setCommunity(const char* text);
    // The community the message carries: the one set, or the default one
    // while none has been set; null after setCommunityValue(nullptr) or a
    // failed allocation.
    const SnmpOctetString* getCommunityValue() const;

    // Appends the binding (the list takes it over). A message whose list
    // could not be allocated deletes it.
    void addVarbind(Varbind* varbind);
    VarbindList* getVarbinds() const { return varbinds_.get(); }

private:
    Varbind* varbindAt(std::int32_t position) const;
    bool isV2Notification() const;
    std::size_t pduContentSize() const;
    // The content length for a PDU element of the given content length.
    std::size_t contentSizeAround(std::size_t pduContent) const;

    std::unique_ptr<SnmpOctetString> community_;
    // Until a community is set the message carries the default one, a single
    // value shared by every message, so that no message allocates a
    // community only to have it replaced.
    bool defaultCommunity_ = true;
    std::unique_ptr<SnmpInteger> version_;
    std::uint32_t pduType_ = 0;
    std::unique_ptr<SnmpPdu> pdu_;
    std::unique_ptr<VarbindList> varbinds_;
};

}  // namespace quillow
