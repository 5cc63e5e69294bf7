#include <gtest/gtest.h>

#include "common/IPv4Text.h"

TEST(IPv4Text, DottedQuads) {
    struct Case {
        const char* text;
        bool ok;
        std::uint32_t value;
        bool plain;
    } cases[] = {
        {"127.0.0.1", true, 0x7f000001, true},
        {"0.0.0.0", true, 0, true},
        {"255.255.255.255", true, ~0u, true},
        {"010.001.0.9", true, 0x0a010009, false},  // decimal, not octal; not the plain form
        {"00.0.0.0", true, 0, false},
        {"256.0.0.1", false, 0, false},
        {"1.2.3", false, 0, false},
        {"1.2.3.4.", false, 0, false},
        {" 1.2.3.4", false, 0, false},
        {"1.2.3.4 ", false, 0, false},
        {"1.2.3.4\n", false, 0, false},
        {"1..3.4", false, 0, false},
        {"1.2.3.0004", false, 0, false},
        {"+1.2.3.4", false, 0, false},
        {"-1.2.3.4", false, 0, false},
        {"", false, 0, false},
        {"host.example", false, 0, false},
        {"\xd9\xa1.2.3.4", false, 0, false},  // an Arabic-Indic digit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto v = ParseDottedQuad(c.text);
        ASSERT_EQ(v.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(*v, c.value);
        }
        EXPECT_EQ(IsPlainDottedQuad(c.text), c.plain);
    }
    EXPECT_EQ(FormatDottedQuad(0xc0a80a01), "192.168.10.1");
    EXPECT_EQ(FormatDottedQuad(0), "0.0.0.0");
    EXPECT_EQ(FormatDottedQuad(~0u), "255.255.255.255");
}

// Format and parse are inverse over the whole range (a stride that touches every part value).
TEST(IPv4Text, FormatThenParseGivesTheAddressBack) {
    for (std::uint64_t a = 0; a <= 0xffffffffu; a += 0x01010101u / 7 + 13) {
        const auto text = FormatDottedQuad(std::uint32_t(a));
        ASSERT_EQ(ParseDottedQuad(text), std::uint32_t(a)) << text;
        ASSERT_TRUE(IsPlainDottedQuad(text)) << text;
    }
}
