#include "netcomp/icmp/HostAddress.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <cstring>

#include "common/IPv4Text.h"

namespace {

// An IPv6 address of Qt's as the prober's, its zone (name or number) as an interface index.
// Nothing when the zone names no interface.
std::optional<icmp::Address> FromQt(const QHostAddress& a) {
    const Q_IPV6ADDR raw = a.toIPv6Address();
    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), raw.c, 16);
    std::uint32_t scope = 0;
    if (const QString zone = a.scopeId(); !zone.isEmpty()) {
        bool number = false;
        scope = zone.toUInt(&number);
        if (!number) scope = std::uint32_t(QNetworkInterface::interfaceIndexFromName(zone));
        if (scope == 0) return std::nullopt;
    }
    return icmp::Address::IPv6(bytes, scope);
}

}  // namespace

std::optional<icmp::Address> ResolveHost(const QString& host, bool ipv4Only, QString& error) {
    if (const auto v4 = ParseDottedQuad(host.toStdString())) return icmp::Address(*v4);
    if (host.trimmed().isEmpty()) {
        error = QStringLiteral("No host given");
        return std::nullopt;
    }
    if (QHostAddress literal; host.contains(':') && literal.setAddress(host) &&
                              literal.protocol() == QAbstractSocket::IPv6Protocol) {
        bool mapped = false;
        if (const quint32 inner = literal.toIPv4Address(&mapped); mapped)
            return icmp::Address(inner);  // ::ffff:a.b.c.d is an IPv4 host
        if (ipv4Only) {
            error = QStringLiteral("Cannot reach the IPv6 address %1 from an IPv4 source address")
                        .arg(host);
            return std::nullopt;
        }
        const auto address = FromQt(literal);
        if (!address)
            error = QStringLiteral("No interface \"%1\" for the zone of %2")
                        .arg(literal.scopeId(), host);
        return address;
    }
    const QHostInfo info = QHostInfo::fromName(host);
    const QList<QHostAddress> all = info.addresses();
    if (const auto address = PreferredAddress(all, ipv4Only)) return address;
    QString why = info.errorString();
    if (info.error() == QHostInfo::NoError)
        why = ipv4Only || all.isEmpty() ? QStringLiteral("it has no IPv4 address")
                                        : QStringLiteral("it has no usable address");
    error = QStringLiteral("Cannot resolve host name \"%1\": %2").arg(host, why);
    return std::nullopt;
}

std::optional<icmp::Address> PreferredAddress(const QList<QHostAddress>& found, bool ipv4Only) {
    for (const QHostAddress& a : found)
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return icmp::Address(a.toIPv4Address());
    if (!ipv4Only)
        for (const QHostAddress& a : found)
            if (a.protocol() == QAbstractSocket::IPv6Protocol)
                if (const auto address = FromQt(a)) return address;
    return std::nullopt;
}

bool IsLocalIPv4(const QString& text) {
    const auto address = ParseDottedQuad(text.toStdString());
    if (!address) return false;
    const QList<QHostAddress> local = QNetworkInterface::allAddresses();
    return std::any_of(local.begin(), local.end(), [address = *address](const QHostAddress& a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol && a.toIPv4Address() == address;
    });
}

icmp::Address SourceFor(const QString& localHost, const icmp::Address& destination) {
    if (destination.v6) return icmp::Address::AnyIPv6();
    if (const auto v4 = ParseDottedQuad(localHost.toStdString())) return icmp::Address(*v4);
    return icmp::Address();
}

QString AddressText(const icmp::Address& address) {
    if (!address.v6) return QString::fromStdString(FormatDottedQuad(address.v4));
    QString text = QString::fromStdString(icmp::FormatAddress(icmp::Address::IPv6(address.bytes)));
    if (address.scope != 0) {
        const QString name = QNetworkInterface::interfaceNameFromIndex(int(address.scope));
        text += '%' + (name.isEmpty() ? QString::number(address.scope) : name);
    }
    return text;
}
