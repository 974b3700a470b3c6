// SnmpOid: the OBJECT IDENTIFIER value, kept in its encoded form.
#pragma once

#include <cstdint>
#include <memory>

#include "value.h"

namespace quillow {

class SnmpOid : public SnmpValue {
public:
    // The most content bytes an identifier made from text may have.
    static constexpr std::size_t kMaxTextContent = 4096;

    // Takes the content as it comes, without validation.
    explicit SnmpOid(DecodeCursor& cursor);

    // Builds the content from dotted text: the first two arcs X.Y as the one
    // subidentifier 40·X + Y, each further arc as a subidentifier of its own.
    // A text that no encoding can carry faithfully is refused and gives the
    // empty identifier: fewer than two arcs, a first arc above 2, a second arc
    // above 39 under a first arc of 0 or 1 (it would read back as another
    // pair), or more than kMaxTextContent content bytes. An agent answers an
    // empty identifier with an error, where a cut or completed one would
    // name some other object.
    explicit SnmpOid(const char* text);
    ~SnmpOid() override = default;

    void encode(std::uint8_t*& out) const override;

    // The arcs in decimal joined by '.'. The first subidentifier gives the
    // first two arcs (below 40: 0 and it; below 80: 1 and it - 40; otherwise
    // 2 and it - 80). A last subidentifier that the content leaves unfinished
    // is not shown: the text holds only the arcs that are really there.
    const char* toText() const override;

    const std::uint8_t* getContent() const { return content_.data(); }

private:
    ContentBytes content_;
};

}  // namespace quillow
