// Address texts of the ICMP prober, shared by every backend (std only).
#include <charconv>
#include <cstdio>

#include "IcmpProbe.h"

namespace icmp {

bool ParseIPv4(const std::string& text, std::uint32_t& address) {
    std::uint32_t value = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (p == end || *p != '.') return false;
            ++p;
        }
        const char* start = p;
        while (p != end && *p >= '0' && *p <= '9' && p - start < 4) ++p;
        const std::size_t digits = std::size_t(p - start);
        if (digits == 0 || digits > 3) return false;
        unsigned n = 0;
        std::from_chars(start, p, n);
        if (n > 255) return false;
        value = (value << 8) | n;
    }
    if (p != end) return false;
    address = value;
    return true;
}

std::string FormatIPv4(std::uint32_t a) {
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xff) + '.' +
           std::to_string((a >> 8) & 0xff) + '.' + std::to_string(a & 0xff);
}

std::string FormatAddress(const Address& a) {
    if (!a.v6) return FormatIPv4(a.v4);
    std::uint16_t group[8];
    for (int i = 0; i < 8; ++i)
        group[i] = std::uint16_t((a.bytes[2 * i] << 8) | a.bytes[2 * i + 1]);
    // The longest run of two or more zero groups (the first of equal ones) becomes "::".
    int bestAt = -1, bestLength = 1;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && group[j] == 0) ++j;
        if (j - i > bestLength) {
            bestAt = i;
            bestLength = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    std::string text;
    char hex[8];
    for (int i = 0; i < 8; ++i) {
        if (i == bestAt) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') text += ':';
        std::snprintf(hex, sizeof hex, "%x", unsigned(group[i]));
        text += hex;
    }
    if (a.scope != 0) text += '%' + std::to_string(a.scope);
    return text;
}

}  // namespace icmp
