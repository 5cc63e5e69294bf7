// Dotted-quad conversions of the ICMP prober, shared by every backend (std only).
#include <charconv>

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

}  // namespace icmp
