#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QTest>

#include "NumericEdit.h"

namespace {
// Grouping follows the locale; the cases are written for a comma.
struct EnglishLocale : ::testing::Test {
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

void LeaveFocus(QWidget* w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &out);
}
}  // namespace

using NumericEditTest = EnglishLocale;

TEST_F(NumericEditTest, TypingThenLeavingClampsToTheNearestBound) {
    struct Case {
        int min, max;
        bool grouping;
        const char* typed;
        int value;
        QString shown;
    } cases[] = {
        {32, 5000, true, "10", 32, "32"},
        {32, 5000, true, "9000", 5000, "5,000"},  // typing is not refused part way
        {32, 5000, true, "1500", 1500, "1,500"},
        {32, 5000, true, "", 32, "32"},  // empty reads as the lower bound
        {1, 65535, false, "70000", 65535, "65535"},
        {1, 65535, false, "0", 1, "1"},
        {1, 65535, false, "4a4-3", 443, "443"},  // only digits are taken
        {1, 10, false, "99999999999999", 10, "10"},
    };
    for (const auto& c : cases) {
        NumericEdit e(c.min, c.max, c.min, c.grouping);
        e.clear();
        QTest::keyClicks(&e, c.typed);
        EXPECT_EQ(e.value(), c.value) << c.typed;
        LeaveFocus(&e);
        EXPECT_EQ(e.text(), c.shown) << c.typed;
        EXPECT_EQ(e.value(), c.value) << c.typed;
    }
}

TEST_F(NumericEditTest, InitialValueAndGrouping) {
    NumericEdit port(1, 65535, 10000, false), size(32, 5000, 32, true), big(0, 100000, 10000, true);
    EXPECT_EQ(port.text(), "10000");
    EXPECT_EQ(size.text(), "32");
    EXPECT_EQ(big.text(), "10,000");
    EXPECT_EQ(big.value(), 10000);
}
