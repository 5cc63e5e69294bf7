#include "HostAddress.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

#include "IcmpProbe.h"

std::optional<std::uint32_t> ResolveIPv4(const QString& host, QString& error) {
    std::uint32_t address = 0;
    if (icmp::ParseIPv4(host.toStdString(), address)) return address;
    if (host.trimmed().isEmpty()) {
        error = QStringLiteral("No host given");
        return std::nullopt;
    }
    const QHostInfo info = QHostInfo::fromName(host);
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a.toIPv4Address();
    error =
        QStringLiteral("Cannot resolve host name \"%1\": %2")
            .arg(host, info.error() == QHostInfo::NoError ? QStringLiteral("it has no IPv4 address")
                                                          : info.errorString());
    return std::nullopt;
}

bool IsLocalIPv4(const QString& text) {
    std::uint32_t address = 0;
    if (!icmp::ParseIPv4(text.toStdString(), address)) return false;
    const QList<QHostAddress> local = QNetworkInterface::allAddresses();
    return std::any_of(local.begin(), local.end(), [address](const QHostAddress& a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol && a.toIPv4Address() == address;
    });
}

QString IPv4Text(std::uint32_t address) {
    return QString::fromStdString(icmp::FormatIPv4(address));
}
