#pragma once

// IPv4 and hardware-address text helpers. Free functions without state; failures throw Exception
// with the message shown to the user. Callers check every dotted quad with IsValidIPv4 first.

#include <QString>
#include <QtGlobal>

struct AddressRange {
    QString first;
    QString last;
};

struct DnsServerPair {
    QString first;
    QString second;
};

// Strict decimal conversion: optional sign and digits within the signed 32-bit range, nothing else.
// Fails with "'<text>' is not a valid integer value".
qint32 StrictToInt(const QString& text);

// True when the whole text is four dot-joined decimal parts of value 0..255 (leading zeros
// allowed).
bool IsValidIPv4(const QString& text);

// Address value of a dotted quad, first part most significant. Parts are not range-tested.
quint32 ParseIPv4(const QString& text);

// Dotted quad of an address value.
QString IntToIPv4(quint32 value);

int CountBits(quint32 value);

// One bits over the mask's four parts (non-contiguous masks count the same way).
int MaskBitCount(const QString& mask);

// Mask of prefix length n; the shift count wraps at 32, so 0 and 32 both give 255.255.255.255.
QString PrefixToMask(qint32 n);

QString SubnetId(const QString& address, const QString& mask);

// First and last usable address (network + 1, broadcast - 1, wrapping modulo 2^32).
AddressRange DhcpRange(const QString& address, const QString& mask);

// Usable host count: 2^(32 - bits) - 2 as a wrapping signed 32-bit value.
qint32 MaxHosts(const QString& mask);

// True when candidate lies between the network and broadcast address of address/mask, both
// included.
bool SameSubnet(const QString& candidate, const QString& address, const QString& mask);

// First and second blank-separated entry of a DNS server list; later entries are ignored.
DnsServerPair SplitDnsServers(const QString& list);

// The letters a to z upper-cased, every other character as it is.
QString UpperAsciiLetters(QString text);

// Regroups a hardware address: kind 1 gives 001A.2B3C.4D5E, kind 2 gives 00:1A:2B:3C:4D:5E.
QString FormatMac(const QString& text, int kind);
