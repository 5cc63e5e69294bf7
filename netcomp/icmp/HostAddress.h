#pragma once

// Host texts of the reachability components: name resolution and the local-address check.

#include <QHostAddress>
#include <QList>
#include <QString>
#include <optional>

#include "netcomp/icmp/IcmpProbe.h"

// The address a host text stands for: a dotted quad as it is; an IPv6 literal, with or without
// a zone ("fe80::1%eth0"); or a host name, looked up (blocks): its first IPv4 address, or when
// it has none its first IPv6 address. With ipv4Only (a source adapter was chosen: an IPv4
// address) only IPv4 will do. On failure: nothing, and `error` says why.
std::optional<icmp::Address> ResolveHost(const QString& host, bool ipv4Only, QString& error);

// The address a host name's lookup result stands for: its first IPv4 address, else (unless
// ipv4Only) its first IPv6 address whose zone names an interface.
std::optional<icmp::Address> PreferredAddress(const QList<QHostAddress>& found, bool ipv4Only);

// True when text is a dotted quad assigned to one of this machine's interfaces.
bool IsLocalIPv4(const QString& text);

// Where probes to destination leave from: the local IPv4 address text (a source adapter's, which
// only IPv4 destinations come with), or the system's choice in the destination's family.
icmp::Address SourceFor(const QString& localHost, const icmp::Address& destination);

// The text of an address: a dotted quad, or IPv6 text with the zone as an interface name.
QString AddressText(const icmp::Address& address);
