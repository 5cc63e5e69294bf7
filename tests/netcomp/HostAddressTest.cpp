#include <gtest/gtest.h>

#include <QNetworkInterface>

#include "netcomp/icmp/HostAddress.h"
#include "tests/netcomp/TestAddress.h"

namespace {

QString Resolved(const QString& host, bool ipv4Only = false) {
    QString error;
    const auto a = ResolveHost(host, ipv4Only, error);
    return a ? AddressText(*a) : QStringLiteral("error: ") + error;
}

}  // namespace

// Literals need no lookup: dotted quads, IPv6 with or without a zone (index 1 is loopback in
// every namespace), mapped IPv4; an IPv4 source allows IPv4 only.
TEST(HostAddress, LiteralsOfBothFamilies) {
    // The loopback interface's own name: "lo" on Linux, another on Windows.
    const QString lo = QNetworkInterface::interfaceNameFromIndex(1);
    struct Case {
        QString host;
        bool ipv4Only;
        QString result;
    } cases[] = {
        {"127.0.0.1", false, "127.0.0.1"},
        {"::1", false, "::1"},
        {"FD77:1:0:0::2", false, "fd77:1::2"},
        {"::ffff:10.1.2.3", true, "10.1.2.3"},
        {"fe80::1%1", false, "fe80::1%" + lo},
        {"fe80::1%" + lo, false, "fe80::1%" + lo},
        {"fe80::1%no-such-if", false,
         "error: No interface \"no-such-if\" for the zone of fe80::1%no-such-if"},
        {"::1", true, "error: Cannot reach the IPv6 address ::1 from an IPv4 source address"},
        {"127.0.0.1", true, "127.0.0.1"},
        {"", false, "error: No host given"},
        {"   ", false, "error: No host given"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        EXPECT_EQ(Resolved(c.host, c.ipv4Only), c.result);
    }
    EXPECT_EQ(
        Ip("::1"), *[] {
            QString e;
            return ResolveHost("::1", false, e);
        }());
}

// A name with addresses of both families keeps IPv4; one with IPv6 only is probed over IPv6,
// unless an IPv4 source was chosen.
TEST(HostAddress, ANameKeepsIPv4WhenItHasOne) {
    const QHostAddress v4("10.77.2.2"), v6("fd77:2::2"), v6b("fd77:3::2");
    EXPECT_EQ(PreferredAddress({v6, v4, v6b}, false), Ip("10.77.2.2"));
    EXPECT_EQ(PreferredAddress({v6, v6b}, false), Ip("fd77:2::2"));
    EXPECT_EQ(PreferredAddress({v6, v6b}, true), std::nullopt);
    EXPECT_EQ(PreferredAddress({}, false), std::nullopt);
}

TEST(HostAddress, SourceOfTheProbes) {
    EXPECT_EQ(SourceFor("127.0.0.1", Ip("10.77.2.2")), Ip("127.0.0.1"));
    EXPECT_EQ(SourceFor("", Ip("10.77.2.2")), icmp::Address());
    EXPECT_EQ(SourceFor("", Ip("fd77:2::2")), icmp::Address::AnyIPv6());
}
