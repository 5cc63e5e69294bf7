#pragma once

// Dotted-quad text of IPv4 addresses, for every layer: standard library only, so the Qt-free
// Windows backends and the ICMP prober use it as the windows do. Addresses are in host order,
// the first part most significant.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Exactly four parts of one to three decimal digits, each 0..255, joined by "." and nothing
// else: no sign, no blank, no final newline. Leading zeros are decimal ("010" is ten).
std::optional<std::uint32_t> ParseDottedQuad(std::string_view text);

// The same address as FormatDottedQuad writes it, without leading zeros: the only form the
// system's resolver and inet_pton read as that address (they take "010" as octal or refuse it).
bool IsPlainDottedQuad(std::string_view text);

std::string FormatDottedQuad(std::uint32_t address);
