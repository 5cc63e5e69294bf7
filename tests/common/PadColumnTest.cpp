#include <gtest/gtest.h>

#include "common/PadColumn.h"

TEST(PadColumn, PadsShortTextAndNeverShortens) {
    struct Case {
        QString text;
        int width;
        QString expected;
    } cases[] = {
        {"abc", 6, "abc   "}, {"abcdef", 3, "abcdef"}, {"abc", 3, "abc"},
        {"abc", 0, "abc"},    {"", 2, "  "},           {"ไทย", 5, "ไทย  "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PadColumn(c.text, u' ', c.width), c.expected) << c.text.toStdString();
}
