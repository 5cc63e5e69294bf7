#include "netcomp/icmp/TncPing.h"

#include <cmath>

#include "netcomp/icmp/EchoStatus.h"
#include "netcomp/icmp/HostAddress.h"

void TncPing::setPacketSize(int bytes) {
    if (bytes < 32 || bytes > 5000)
        throw EncPing(echo_status::kBadValue,
                      QStringLiteral("Packet size %1 is outside 32..5000 bytes").arg(bytes));
    m_packetSize = bytes;
}

void TncPing::setTimeout(int seconds) {
    if (seconds < 1 || seconds > 600)
        throw EncPing(echo_status::kBadValue,
                      QStringLiteral("Time-out %1 is outside 1..600 seconds").arg(seconds));
    m_timeout = seconds;
}

void TncPing::setLocalHost(const QString& address) {
    if (!address.isEmpty() && !IsLocalIPv4(address))
        throw EncPing(echo_status::kBadValue,
                      QStringLiteral("\"%1\" is not an IPv4 address of this machine").arg(address));
    m_localHost = address;
}

void TncPing::PingHost(const QString& host) {
    m_responseSource.clear();
    m_responseTime = 0;
    m_remoteHost = host;
    QString error;
    const auto destination = ResolveHost(host, !m_localHost.isEmpty(), error);
    if (!destination) throw EncPing(echo_status::kHostNotFound, error);
    m_remoteHost = AddressText(*destination);
    const icmp::Address source = SourceFor(m_localHost, *destination);
    icmp::EchoResult result;
    try {
        auto probe =
            m_openProbe ? m_openProbe(source, m_kind) : icmp::OpenIcmpProbe(source, m_kind);
        const std::uint64_t id = probe->send({*destination, 0, m_packetSize, m_timeout * 1000});
        for (bool done = false; !done;)
            for (const icmp::EchoResult& r : probe->wait(m_timeout * 1000 + 1000))
                if (r.id == id) {
                    result = r;
                    done = true;
                }
    } catch (const icmp::ProbeError& e) {
        throw EncPing(e.code, QString::fromStdString(e.what()));
    }
    if (result.outcome != icmp::Outcome::Reply) {
        const EchoStatus status = DescribeEchoFailure(result);
        throw EncPing(status.code, status.description);
    }
    m_responseSource = AddressText(result.from);
    m_responseTime = int(std::lround(result.rttMs));
    deliver(OnResponse, "Response", this, ++m_requestId, m_responseSource,
            QStringLiteral("Success"), m_responseTime);
}
