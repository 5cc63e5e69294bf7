#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "address/uIPTool.h"
#include "common/Exception.h"

// Readable QString values in failure messages.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Runs f and returns the message of the Exception it throws; fails the test if none is thrown.
QString FailureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    ADD_FAILURE() << "no Exception thrown";
    return {};
}

}  // namespace

TEST(IPTool, IsValidIPv4) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"1.2.3.4", true},    {"01.02.03.004", true},    {"010.001.000.099", true},
        {"0.0.0.0", true},    {"255.255.255.255", true}, {"249.250.199.200", true},
        {"256.1.1.1", false}, {"1.2.3.260", false},      {"1.2.3", false},
        {"1.2.3.4.5", false}, {"1..3.4", false},         {" 1.2.3.4", false},
        {"1.2.3.4 ", false},  {"1.2.3.4\n", false},      {"1.2.3.4\nx", false},
        {"", false},          {"0001.2.3.4", false},     {"+1.2.3.4", false},
        {"-1.2.3.4", false},  {"1.2.3.", false},         {".1.2.3", false},
        {"a.b.c.d", false},   {"1,2,3,4", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidIPv4(c.text), c.valid) << '"' << c.text << '"';
    // Digits outside ASCII are not decimal digits here.
    EXPECT_FALSE(IsValidIPv4(QStringLiteral("1.2.3.\u0E51")));
    EXPECT_FALSE(IsValidIPv4(QString::fromUtf16(u"1.2.3.4\0", 8)));
}

TEST(IPTool, ParseIPv4Values) {
    EXPECT_EQ(ParseIPv4("1.2.3.4"), 0x01020304u);
    EXPECT_EQ(ParseIPv4("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseIPv4("010.001.000.099"), 0x0A010063u);
    // Parts are not range-tested: 256 spills into the part before it.
    EXPECT_EQ(ParseIPv4("1.2.2.256"), ParseIPv4("1.2.3.0"));
}

TEST(IPTool, ParseIPv4Failures) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"1.2.3.", "'' is not a valid integer value"},
        {"1..3.4", "'' is not a valid integer value"},
        {"1.2.x.4", "'x' is not a valid integer value"},
        {"1.2.3.4 ", "'4 ' is not a valid integer value"},
        {"1.2.3.99999999999", "'99999999999' is not a valid integer value"},
        {"1.2.3", "Invalid IP Address format"},
        {"1.2.3.4.5", "Invalid IP Address format"},
        {".1.2.3.4", "Invalid IP Address format"},
        {"", "Invalid IP Address format"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FailureOf([&] { ParseIPv4(c.text); }), c.message) << c.text;
}

TEST(IPTool, IntToIPv4AndCountBits) {
    EXPECT_EQ(IntToIPv4(0), "0.0.0.0");
    EXPECT_EQ(IntToIPv4(0x0A000001u), "10.0.0.1");
    EXPECT_EQ(IntToIPv4(0xFFFFFFFFu), "255.255.255.255");
    EXPECT_EQ(IntToIPv4(0x80000000u), "128.0.0.0");
    EXPECT_EQ(CountBits(0), 0);
    EXPECT_EQ(CountBits(0xFFFFFFFFu), 32);
    EXPECT_EQ(CountBits(0xFF00FF00u), 16);
}

TEST(IPTool, MaskBitCount) {
    EXPECT_EQ(MaskBitCount("255.255.255.0"), 24);
    EXPECT_EQ(MaskBitCount("255.0.255.0"), 16);
    EXPECT_EQ(MaskBitCount("0.0.0.0"), 0);
    EXPECT_EQ(MaskBitCount("255.255.255.255"), 32);

    const struct {
        const char* mask;
        const char* message;
    } failures[] = {
        {"255.255.256.0", "Invalid value in Subnet Mask: 256"},
        {"255.255.-1.0", "Invalid value in Subnet Mask: -1"},
        {"255.255.0256.0", "Invalid value in Subnet Mask: 0256"},
        {"255.255.255", "Invalid Subnet Mask format"},
        {"", "Invalid Subnet Mask format"},
        {"255.255.255.", "'' is not a valid integer value"},
        {"255.x.255.0", "'x' is not a valid integer value"},
    };
    for (const auto& c : failures)
        EXPECT_EQ(FailureOf([&] { MaskBitCount(c.mask); }), c.message) << c.mask;
}

TEST(IPTool, PrefixToMask) {
    const struct {
        qint32 n;
        const char* mask;
    } cases[] = {
        {0, "255.255.255.255"},
        {1, "128.0.0.0"},
        {8, "255.0.0.0"},
        {20, "255.255.240.0"},
        {24, "255.255.255.0"},
        {31, "255.255.255.254"},
        {32, "255.255.255.255"},
        {33, "128.0.0.0"},
        {-1, "255.255.255.254"},
        {INT_MIN, "255.255.255.255"},
        {INT_MAX, "255.255.255.254"},
    };
    for (const auto& c : cases) EXPECT_EQ(PrefixToMask(c.n), c.mask) << c.n;
}

TEST(IPTool, SubnetIdAndDhcpRange) {
    EXPECT_EQ(SubnetId("192.168.5.77", "255.255.240.0"), "192.168.0.0");
    EXPECT_EQ(SubnetId("10.0.0.1", "0.0.0.0"), "0.0.0.0");

    const struct {
        const char* address;
        const char* mask;
        const char* first;
        const char* last;
    } cases[] = {
        {"10.0.0.1", "255.255.255.0", "10.0.0.1", "10.0.0.254"},
        {"172.16.0.1", "255.255.254.0", "172.16.0.1", "172.16.1.254"},
        {"192.168.1.7", "255.255.255.255", "192.168.1.8", "192.168.1.6"},
        {"192.168.1.7", "255.255.255.254", "192.168.1.7", "192.168.1.6"},
        {"255.255.255.255", "255.255.255.255", "0.0.0.0", "255.255.255.254"},
        {"10.0.0.1", "0.0.0.0", "0.0.0.1", "255.255.255.254"},
    };
    for (const auto& c : cases) {
        const AddressRange range = DhcpRange(c.address, c.mask);
        EXPECT_EQ(range.first, c.first) << c.address << " / " << c.mask;
        EXPECT_EQ(range.last, c.last) << c.address << " / " << c.mask;
    }
    // The address is parsed before the mask, so its error is the one reported.
    EXPECT_EQ(FailureOf([] { DhcpRange("1.2.3", "x"); }), "Invalid IP Address format");
    EXPECT_EQ(FailureOf([] { SubnetId("1.2.3.4", "255.255.255"); }), "Invalid IP Address format");
}

TEST(IPTool, MaxHosts) {
    const struct {
        const char* mask;
        qint32 hosts;
    } cases[] = {
        {"255.255.255.0", 254},
        {"255.255.254.0", 510},
        {"255.255.240.0", 4094},
        {"255.255.0.0", 65534},
        {"255.0.0.0", 16777214},
        {"255.255.255.254", 0},
        {"255.255.255.255", -1},
        {"0.0.0.0", -1},
        {"128.0.0.0", 2147483646},
        {"255.0.255.0", 65534},  // counts bits, contiguous or not
        {"255.x.255.0", 65534},  // a piece that is no number counts as 0
        {"255.255.255", 254},    // missing pieces count as 0
        {"", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(MaxHosts(c.mask), c.hosts) << '"' << c.mask << '"';
}

TEST(IPTool, SameSubnet) {
    const struct {
        const char* candidate;
        const char* address;
        const char* mask;
        bool inside;
    } cases[] = {
        {"192.168.0.1", "192.168.0.2", "255.255.255.0", true},
        {"192.168.0.0", "192.168.0.2", "255.255.255.0", true},
        {"192.168.0.255", "192.168.0.2", "255.255.255.0", true},
        {"192.168.0.2", "192.168.0.2", "255.255.255.0", true},
        {"192.168.1.1", "192.168.0.2", "255.255.255.0", false},
        {"10.0.0.1", "192.168.0.2", "255.255.255.0", false},
        // Non-contiguous mask: the range test counts, not A AND C = B AND C.
        {"10.1.0.1", "10.0.0.1", "255.0.255.0", true},
        {"11.0.0.1", "10.0.0.1", "255.0.255.0", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SameSubnet(c.candidate, c.address, c.mask), c.inside) << c.candidate;
    EXPECT_EQ(FailureOf([] { SameSubnet("1.2.3.4", "1.2.3", "255.0.0.0"); }),
              "Invalid IP Address format");
}

TEST(IPTool, SplitDnsServers) {
    const struct {
        const char* list;
        const char* first;
        const char* second;
    } cases[] = {
        {"8.8.8.8 8.8.4.4", "8.8.8.8", "8.8.4.4"},
        {"8.8.8.8", "8.8.8.8", ""},
        {"8.8.8.8  1.1.1.1", "8.8.8.8", ""},
        {"a b c", "a", "b"},
        {" a", "", "a"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const DnsServerPair servers = SplitDnsServers(c.list);
        EXPECT_EQ(servers.first, c.first) << '"' << c.list << '"';
        EXPECT_EQ(servers.second, c.second) << '"' << c.list << '"';
    }
}

TEST(IPTool, FormatMac) {
    const struct {
        const char* text;
        int kind;
        const char* result;
    } cases[] = {
        {"00-1a-2b-3c-4d-5e", 2, "00:1A:2B:3C:4D:5E"},
        {"00-1a-2b-3c-4d-5e", 1, "001A.2B3C.4D5E"},
        {"001a2b3c4d5e", 1, "001A.2B3C.4D5E"},
        {"", 7, ""},
        {"0011", 1, "0011.."},
        {"0011", 2, "00:11::::"},
        {"00-1a-2b-3c-4d-5e-6f-70", 2, "00:1A:2B:3C:4D:5E"},  // past the twelfth: dropped
        {"zz-1a", 1, "ZZ1A.."},                               // digits are not checked
    };
    for (const auto& c : cases) EXPECT_EQ(FormatMac(c.text, c.kind), c.result) << c.text;
    // Only a to z are upper-cased.
    EXPECT_EQ(FormatMac(QStringLiteral("\u00e9a-bc"), 1), QStringLiteral("\u00e9ABC.."));
    EXPECT_EQ(FailureOf([] { FormatMac("00-1a", 3); }), "Unsupported format type");
    EXPECT_EQ(FailureOf([] { FormatMac("00-1a", 0); }), "Unsupported format type");
}
