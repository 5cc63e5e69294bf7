// Address texts of the ICMP prober, shared by every backend (std only).
#include <cstdio>

#include "common/IPv4Text.h"
#include "netcomp/icmp/IcmpProbe.h"

namespace icmp {

std::string FormatAddress(const Address& a) {
    if (!a.v6) return FormatDottedQuad(a.v4);
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
