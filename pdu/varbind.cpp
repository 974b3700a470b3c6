#include "varbind.h"

namespace quillow {

void Varbind::setName(SnmpValue* name) {
    if (name != name_.get()) name_.reset(name);
}

void Varbind::setValue(SnmpValue* value) {
    if (value != value_.get()) value_.reset(value);
}

std::size_t Varbind::contentSize() const {
    const std::size_t nameSize = name_ != nullptr ? name_->encodedSize() : 0;
    const std::size_t valueSize = value_ != nullptr ? value_->encodedSize() : 2;
    return nameSize + valueSize;
}

std::size_t Varbind::encodedSize() const { return berElementSize(contentSize()); }

void Varbind::encode(std::uint8_t*& out) const {
    *out++ = kTagSequence;
    berWriteLength(out, static_cast<std::uint32_t>(contentSize()));
    if (name_ != nullptr) name_->encode(out);
    if (value_ != nullptr) {
        value_->encode(out);
    } else {
        *out++ = kTagNull;
        *out++ = 0x00;
    }
}

VarbindList::~VarbindList() {
    Varbind* current = head_;
    while (current != nullptr) {
        Varbind* next = current->next_;
        delete current;
        current = next;
    }
}

Varbind* VarbindList::lastOf(Varbind* chain) {
    if (chain == nullptr) return nullptr;
    while (chain->next_ != nullptr) chain = chain->next_;
    return chain;
}

Varbind* VarbindList::append(Varbind* varbind) {
    if (varbind == nullptr) return nullptr;
    Varbind* becameHead = nullptr;
    if (head_ == nullptr) {
        head_ = varbind;
        becameHead = varbind;
    } else {
        tail_->next_ = varbind;
    }
    tail_ = lastOf(varbind);
    return becameHead;
}

Varbind* VarbindList::replaceHead(Varbind* varbind) {
    Varbind* former = head_;
    head_ = varbind;
    tail_ = lastOf(varbind);
    return former;
}

Varbind* VarbindList::at(std::int32_t position) const {
    if (position < 1) return nullptr;
    Varbind* current = head_;
    for (std::int32_t i = 1; current != nullptr && i < position; ++i) current = current->next_;
    return current;
}

std::int32_t VarbindList::count() const {
    std::int32_t n = 0;
    for (const Varbind* current = head_; current != nullptr; current = current->next_) ++n;
    return n;
}

std::size_t VarbindList::contentSize() const {
    std::size_t size = 0;
    for (const Varbind* current = head_; current != nullptr; current = current->next_) {
        size += current->encodedSize();
    }
    return size;
}

std::size_t VarbindList::encodedSize() const { return berElementSize(contentSize()); }

void VarbindList::encode(std::uint8_t*& out) const {
    *out++ = kTagSequence;
    berWriteLength(out, static_cast<std::uint32_t>(contentSize()));
    for (const Varbind* current = head_; current != nullptr; current = current->next_) current->encode(out);
}

}  // namespace quillow
