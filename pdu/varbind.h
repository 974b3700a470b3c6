// Variable bindings: the name/value pair and the list of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "../ber/element.h"
#include "../values/value.h"

namespace quillow {

class Varbind : public BerElement {
public:
    Varbind() = default;
    // Takes both over; either may be null.
    Varbind(SnmpValue* name, SnmpValue* value) : name_(name), value_(value) {}
    // Deletes the name and the value; never follows the link to the next.
    ~Varbind() override = default;

    // Take the object over. An object set before is deleted, so that nothing
    // the binding owned is ever lost; setting the same object again keeps it.
    void setName(SnmpValue* name);
    void setValue(SnmpValue* value);
    SnmpValue* getName() const { return name_.get(); }
    SnmpValue* getValue() const { return value_.get(); }

    // The binding that follows in the list that holds this one, or null.
    Varbind* getNext() const { return next_; }

    std::size_t encodedSize() const;
    // A SEQUENCE of the name and the value; a missing name is left out and a
    // missing value is written as NULL (05 00).
    void encode(std::uint8_t*& out) const override;

private:
    friend class VarbindList;
    std::size_t contentSize() const;

    std::unique_ptr<SnmpValue> name_;
    std::unique_ptr<SnmpValue> value_;
    Varbind* next_ = nullptr;
};

// An intrusive singly linked list of bindings, which it owns.
class VarbindList : public BerElement {
public:
    VarbindList() = default;
    // Deletes every binding from the head to the end of the chain.
    ~VarbindList() override;

    // Links the binding, with whatever chain hangs from it, behind the last
    // binding. Appending null changes nothing. Returns the binding when it
    // became the head, null otherwise.
    Varbind* append(Varbind* varbind);

    // Makes the given chain the whole list and returns the former chain,
    // which the caller then owns. Nothing is deleted.
    Varbind* replaceHead(Varbind* varbind);

    Varbind* getHead() const { return head_; }
    // The binding at a 1-based position, or null.
    Varbind* at(std::int32_t position) const;
    std::int32_t count() const;

    std::size_t encodedSize() const;
    void encode(std::uint8_t*& out) const override;

private:
    std::size_t contentSize() const;
    static Varbind* lastOf(Varbind* chain);

    Varbind* head_ = nullptr;
    // The last binding, kept so that appending does not walk the list.
    Varbind* tail_ = nullptr;
};

}  // namespace quillow
