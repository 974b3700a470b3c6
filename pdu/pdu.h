// The PDU interface, and the request, response and SNMPv2 notification PDUs.
// A PDU holds its header fields and its tag; the message around it owns the
// variable bindings and writes the PDU's tag and length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "../ber/cursor.h"
#include "../ber/element.h"
#include "../values/numbers.h"

namespace quillow {

// One interface for every kind of PDU. A class that lacks a header field
// keeps the default here: the setter ignores its argument and the getter
// answers 0 or a null text, so a message forwards every accessor to whatever
// PDU it holds without asking its kind.
class SnmpPdu : public BerElement {
public:
    ~SnmpPdu() override = default;

    // Writes the header fields (not the tag or length) and moves the cursor.
    void encode(std::uint8_t*& out) const override = 0;

    virtual void setRequestId(std::int32_t) {}
    virtual std::int32_t getRequestId() const { return 0; }
    virtual void setErrorIndex(std::int32_t) {}
    virtual std::int32_t getErrorIndex() const { return 0; }
    virtual void setErrorStatus(std::int32_t) {}
    virtual std::int32_t getErrorStatus() const { return 0; }
    virtual void setGenericTrap(std::int32_t) {}
    virtual std::int32_t getGenericTrap() const { return 0; }
    virtual void setSpecificTrap(std::int32_t) {}
    virtual std::int32_t getSpecificTrap() const { return 0; }
    virtual void setTimeStamp(std::uint32_t) {}
    virtual std::uint32_t getTimeStamp() const { return 0; }
    virtual void setAgentAddress(const char*) {}
    virtual const char* getAgentAddress() const { return nullptr; }
    virtual void setEnterprise(const char*) {}
    virtual const char* getEnterprise() const { return nullptr; }

    // The total encoded size of the header fields.
    virtual std::size_t headerSize() const = 0;
    // Reads the header fields at the cursor, which stands on the first
    // field's tag. A field that cannot be allocated marks the cursor bad, so
    // the datagram is refused rather than read out of step.
    virtual void decodeHeader(DecodeCursor& cursor) = 0;
    virtual std::uint8_t getPduType() const = 0;
};

// Request-id, error-status, error-index and the tag.
class BasicPdu : public SnmpPdu {
public:
    ~BasicPdu() override = default;

    void encode(std::uint8_t*& out) const override;
    void setRequestId(std::int32_t value) override;
    std::int32_t getRequestId() const override;
    void setErrorIndex(std::int32_t value) override;
    std::int32_t getErrorIndex() const override;
    void setErrorStatus(std::int32_t value) override;
    std::int32_t getErrorStatus() const override;
    std::size_t headerSize() const override;
    // A field whose tag is not INTEGER keeps its value, and the next field is
    // read from the byte after that tag.
    void decodeHeader(DecodeCursor& cursor) override;
    std::uint8_t getPduType() const override { return pduType_; }

    // Turns the PDU into a GetResponse: only the tag changes.
    virtual void makeResponse();

protected:
    // The request-id starts as the current calendar time in seconds, the
    // error fields as 0.
    BasicPdu();

    std::uint8_t pduType_ = 0;

private:
    std::unique_ptr<SnmpInteger> requestId_;
    std::unique_ptr<SnmpInteger> errorStatus_;
    std::unique_ptr<SnmpInteger> errorIndex_;
};

class GetRequestPdu : public BasicPdu {
public:
    GetRequestPdu();
    ~GetRequestPdu() override = default;
};

class GetNextRequestPdu : public BasicPdu {
public:
    GetNextRequestPdu();
    ~GetNextRequestPdu() override = default;
};

class GetResponsePdu : public BasicPdu {
public:
    GetResponsePdu();
    ~GetResponsePdu() override = default;
};

class SetRequestPdu : public BasicPdu {
public:
    SetRequestPdu();
    ~SetRequestPdu() override = default;
};

// The SNMPv2 notifications, whose agent address is all ones.
class NotificationPdu : public BasicPdu {
public:
    ~NotificationPdu() override = default;
    // The text of the agent address, 255.255.255.255; it lives in a buffer of
    // the sockets library that its next address conversion overwrites.
    const char* getAgentAddress() const override;

protected:
    NotificationPdu() = default;

private:
    std::uint32_t agentAddress_ = 0xFFFFFFFFu;
};

class InformRequestPdu : public NotificationPdu {
public:
    InformRequestPdu();
    ~InformRequestPdu() override = default;
};

class TrapV2Pdu : public NotificationPdu {
public:
    TrapV2Pdu();
    ~TrapV2Pdu() override = default;
};

// Whether a PDU class exists for the tag: 0xA0 to 0xA4, 0xA6 and 0xA7.
inline bool hasPduClass(std::uint32_t tag) {
    return tag >= kTagGetRequest && tag <= kTagTrapV2 && tag != kTagGetBulkRequest;
}

// A new PDU object for the tag, or null for a tag without a class (0xA5
// among them) or when the allocation fails.
SnmpPdu* makePdu(std::uint32_t tag);

}  // namespace quillow
