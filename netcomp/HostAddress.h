#pragma once

// Host texts of the reachability components: name resolution and the local-address check.
// Addresses are IPv4 in host byte order, as the ICMP prober takes them.

#include <QString>
#include <cstdint>
#include <optional>

// A dotted quad as it is, or the first IPv4 address the resolver gives for a host name (blocks
// for the lookup). On failure: nothing, and `error` says why.
std::optional<std::uint32_t> ResolveIPv4(const QString& host, QString& error);

// True when text is a dotted quad assigned to one of this machine's interfaces.
bool IsLocalIPv4(const QString& text);

// The dotted quad of an address.
QString IPv4Text(std::uint32_t address);
