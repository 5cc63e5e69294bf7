#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTest>

#include "ui/NumericEdit.h"

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

namespace {
// A locale that writes its own digits: 10000 is "١٠٬٠٠٠" (U+066C as the group separator).
struct ArabicLocale : ::testing::Test {
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};
const QString kArabic10000 = QString::fromUtf8("١٠٬٠٠٠");

// Types text the way a keyboard of that script does (QTest types ASCII only).
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}
}  // namespace

using NumericEditOtherDigits = ArabicLocale;

TEST_F(NumericEditOtherDigits, ShowsAndReadsTheLocalesDigits) {
    NumericEdit limit(10, 100000, 10000, true), port(1, 65535, 10000, false);
    EXPECT_EQ(limit.text(), kArabic10000);
    EXPECT_EQ(limit.value(), 10000);
    EXPECT_EQ(port.text(), QString::fromUtf8("١٠٠٠٠"));
    EXPECT_EQ(port.value(), 10000);
    LeaveFocus(&limit);
    EXPECT_EQ(limit.text(), kArabic10000) << "leaving does not rewrite the value";
    EXPECT_EQ(limit.value(), 10000);
}

TEST_F(NumericEditOtherDigits, TypedDigitsOfEitherKindThenLeavingClamps) {
    struct Case {
        int min, max;
        bool grouping;
        QString typed;
        int value;
        QString shown;
    } cases[] = {
        {32, 5000, true, QString::fromUtf8("١٥٠٠"), 1500, QString::fromUtf8("١٬٥٠٠")},
        {32, 5000, true, QString::fromUtf8("١٬٥٠٠"), 1500, QString::fromUtf8("١٬٥٠٠")},
        {32, 5000, true, "1500", 1500, QString::fromUtf8("١٬٥٠٠")},  // ASCII digits too
        {32, 5000, true, QString::fromUtf8("٩٠٠٠"), 5000, QString::fromUtf8("٥٬٠٠٠")},
        {32, 5000, true, QString::fromUtf8("١٠"), 32, QString::fromUtf8("٣٢")},
        {32, 5000, true, "", 32, QString::fromUtf8("٣٢")},
        {1, 65535, false, QString::fromUtf8("٧٠٠٠٠"), 65535, QString::fromUtf8("٦٥٥٣٥")},
        {1, 65535, false, QString::fromUtf8("٠"), 1, QString::fromUtf8("١")},
        {1, 65535, false, QString::fromUtf8("٤٤x٣-"), 443, QString::fromUtf8("٤٤٣")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        NumericEdit e(c.min, c.max, c.min, c.grouping);
        e.clear();
        Type(&e, c.typed);
        EXPECT_EQ(e.value(), c.value);
        LeaveFocus(&e);
        EXPECT_EQ(e.text(), c.shown);
        EXPECT_EQ(e.value(), c.value);
    }
}

TEST_F(NumericEditOtherDigits, EditingInsideTheShownTextIsNotRefused) {
    NumericEdit limit(10, 100000, 10000, true);
    limit.setCursorPosition(limit.text().size());
    QTest::keyClick(&limit, Qt::Key_Backspace);  // "١٠٬٠٠"
    EXPECT_EQ(limit.value(), 1000);
    limit.home(false);
    QTest::keyClick(&limit, Qt::Key_Delete);  // "٠٬٠٠"
    Type(&limit, QString::fromUtf8("٢"));
    EXPECT_EQ(limit.value(), 2000);
    LeaveFocus(&limit);
    EXPECT_EQ(limit.text(), QString::fromUtf8("٢٬٠٠٠"));
}

TEST(NumericEditLocales, ThaiAndWesternLocalesKeepTheirLook) {
    struct Case {
        QLocale locale;
        QString shown;
    } cases[] = {
        {QLocale(QLocale::Thai, QLocale::Thailand), "10,000"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "10,000"},
        {QLocale(QLocale::German, QLocale::Germany), "10.000"},
        {QLocale(QLocale::French, QLocale::France), QString::fromUtf8("10\u202f000")},
        {QLocale(QLocale::Persian, QLocale::Iran), QString::fromUtf8("۱۰٬۰۰۰")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        NumericEdit e(10, 100000, 10000, true);
        EXPECT_EQ(e.text(), c.shown);
        EXPECT_EQ(e.value(), 10000);
        e.clear();
        QTest::keyClicks(&e, "2500");
        LeaveFocus(&e);
        EXPECT_EQ(e.value(), 2500);
        EXPECT_EQ(e.text(), c.locale.toString(2500));
    }
    QLocale::setDefault(QLocale::system());
}
