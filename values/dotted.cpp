#include "dotted.h"

namespace quillow {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
}  // namespace

std::uint32_t readDecimal(const char* text) {
    if (text == nullptr) return 0;
    while (isSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    std::uint32_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(*text - '0');
        ++text;
    }
    return negative ? 0u - value : value;
}

bool DottedParts::next(std::uint32_t& value) {
    while (*at_ == '.') ++at_;
    if (*at_ == '\0') return false;
    value = readDecimal(at_);
    while (*at_ != '\0' && *at_ != '.') ++at_;
    return true;
}

}  // namespace quillow
