#include "common/IPv4Text.h"

#include <charconv>

std::optional<std::uint32_t> ParseDottedQuad(std::string_view text) {
    std::uint32_t value = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (p == end || *p != '.') return std::nullopt;
            ++p;
        }
        const char* const start = p;
        while (p != end && *p >= '0' && *p <= '9' && p - start < 4) ++p;
        const auto digits = p - start;
        if (digits == 0 || digits > 3) return std::nullopt;
        unsigned n = 0;
        std::from_chars(start, p, n);
        if (n > 255) return std::nullopt;
        value = (value << 8) | n;
    }
    if (p != end) return std::nullopt;
    return value;
}

bool IsPlainDottedQuad(std::string_view text) {
    const auto value = ParseDottedQuad(text);
    return value && FormatDottedQuad(*value) == text;
}

std::string FormatDottedQuad(std::uint32_t a) {
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xff) + '.' +
           std::to_string((a >> 8) & 0xff) + '.' + std::to_string(a & 0xff);
}
