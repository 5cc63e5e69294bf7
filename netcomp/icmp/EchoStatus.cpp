#include "netcomp/icmp/EchoStatus.h"

#include "netcomp/icmp/HostAddress.h"

EchoStatus DescribeEchoFailure(const icmp::EchoResult& r) {
    using icmp::Outcome;
    const QString by = QStringLiteral(" (reported by %1)").arg(AddressText(r.from));
    switch (r.outcome) {
        case Outcome::Reply:
            return {0, QStringLiteral("Success")};
        case Outcome::TimedOut:
            return {echo_status::kTimedOut, QStringLiteral("Request timed out")};
        case Outcome::TimeExceeded:
            return {echo_status::kTtlExpired, QStringLiteral("TTL expired in transit") + by};
        case Outcome::Unreachable:
            switch (r.icmpCode) {
                case 0:
                case 6:
                    return {11002, QStringLiteral("Destination net unreachable") + by};
                case 1:
                case 7:
                    return {11003, QStringLiteral("Destination host unreachable") + by};
                case 2:
                    return {11004, QStringLiteral("Destination protocol unreachable") + by};
                case 3:
                    return {11005, QStringLiteral("Destination port unreachable") + by};
                case 4:
                    return {11009, QStringLiteral("Packet too big") + by};
                case 9:
                case 10:
                case 13:
                    return {11004, QStringLiteral("Destination prohibited") + by};
                default:
                    return {
                        11003,
                        QStringLiteral("Destination unreachable, code %1").arg(r.icmpCode) + by};
            }
        case Outcome::Failed:
            break;
    }
    return {echo_status::kGeneralFailure,
            QStringLiteral("General failure: ") + QString::fromStdString(r.detail)};
}
