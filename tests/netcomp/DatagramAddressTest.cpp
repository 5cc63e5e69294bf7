// Datagram addresses of the syslog socket backends: the source text and "same address as
// before" flag they report, and where a send goes.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

#include <gtest/gtest.h>

#include <string>

#include "netcomp/syslog/DatagramAddress.h"

namespace {

// An IPv4 source as an IPv4-only socket writes it: into the first bytes of the slot, the rest
// left as the previous datagram had it.
void PutV4(sockaddr_in6& slot, const char* address, int port) {
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_port = htons(std::uint16_t(port));
    inet_pton(AF_INET, address, &v4.sin_addr);
    std::memcpy(&slot, &v4, sizeof v4);
}

sockaddr_in6 V6(const char* address, int port, unsigned scope = 0) {
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_port = htons(std::uint16_t(port));
    inet_pton(AF_INET6, address, &a.sin6_addr);
    a.sin6_scope_id = scope;
    return a;
}

struct Read {
    std::string text;
    int port;
    bool same;
};

Read ReadOne(DatagramSources& sources, const sockaddr_in6& from) {
    char text[DatagramSources::kTextSize];
    bool same = false;
    const int port = sources.read(from, text, same);
    return {text, port, same};
}

}  // namespace

TEST(DatagramSources, IPv4SourcesInOneSlotAreToldApart) {
    DatagramSources sources;
    sockaddr_in6 slot{};
    PutV4(slot, "10.0.0.1", 514);
    Read r = ReadOne(sources, slot);
    EXPECT_EQ(r.text, "10.0.0.1");
    EXPECT_EQ(r.port, 514);
    EXPECT_FALSE(r.same);

    PutV4(slot, "10.0.0.1", 40000);  // same sender, another port
    r = ReadOne(sources, slot);
    EXPECT_EQ(r.text, "10.0.0.1");
    EXPECT_EQ(r.port, 40000);
    EXPECT_TRUE(r.same);

    PutV4(slot, "10.0.0.2", 40000);
    r = ReadOne(sources, slot);
    EXPECT_EQ(r.text, "10.0.0.2") << "a new IPv4 sender must not keep the text of the one before";
    EXPECT_FALSE(r.same);
}

TEST(DatagramSources, IPv6SourcesMappedScopedAndReset) {
    DatagramSources sources;
    Read r = ReadOne(sources, V6("::ffff:192.168.1.9", 1));
    EXPECT_EQ(r.text, "192.168.1.9");
    r = ReadOne(sources, V6("fe80::1", 2, 3));
    EXPECT_EQ(r.text, "fe80::1");
    EXPECT_FALSE(r.same);
    EXPECT_FALSE(ReadOne(sources, V6("fe80::1", 2, 4)).same) << "another zone is another sender";
    EXPECT_TRUE(ReadOne(sources, V6("fe80::1", 5, 4)).same);
    sources.reset();
    r = ReadOne(sources, V6("fe80::1", 5, 4));
    EXPECT_FALSE(r.same);
    EXPECT_EQ(r.text, "fe80::1");
}

TEST(DatagramDestination, NumericAddressesForEitherSocket) {
    const DatagramDestination mapped("192.168.1.9", 514, true);
    ASSERT_TRUE(mapped.valid());
    ASSERT_EQ(mapped.size(), int(sizeof(sockaddr_in6)));
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(*mapped.address());
    EXPECT_EQ(v6.sin6_family, AF_INET6);
    EXPECT_TRUE(IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr));
    EXPECT_EQ(ntohs(v6.sin6_port), 514);
    DatagramSources sources;
    EXPECT_EQ(ReadOne(sources, v6).text, "192.168.1.9");

    const DatagramDestination plain("10.0.0.7", 1514, false);
    ASSERT_TRUE(plain.valid());
    ASSERT_EQ(plain.size(), int(sizeof(sockaddr_in)));
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(*plain.address());
    EXPECT_EQ(v4.sin_family, AF_INET);
    EXPECT_EQ(ntohl(v4.sin_addr.s_addr), 0x0a000007u);
    EXPECT_EQ(ntohs(v4.sin_port), 1514);

    EXPECT_TRUE(DatagramDestination("::1", 514, true).valid());
    EXPECT_FALSE(DatagramDestination("::1", 514, false).valid())
        << "an IPv4 socket reaches no IPv6";
    for (const char* text : {"", "localhost", "1.2.3", "1.2.3.4 "})
        EXPECT_FALSE(DatagramDestination(text, 514, true).valid()) << text;
}
