// The chain's addressing: plain arithmetic, the same on every platform.
#include "common/IPv4Text.h"
#include "tests/support/RouteChain.h"

std::uint32_t RouteChain::linkAddress(int link, int end) {
    return (10u << 24) | (77u << 16) | (std::uint32_t(link) << 8) | std::uint32_t(end);
}

std::string RouteChain::text(std::uint32_t a) {
    return FormatDottedQuad(a);
}

std::string RouteChain::linkAddress6(int link, int end) {
    return "fd77:" + std::to_string(link) + "::" + std::to_string(end);
}
