#include <gtest/gtest.h>

#include "common/Clock.h"
#include "common/DateTimeFormat.h"

namespace {
QDateTime At(int h, int m, int s) {
    return QDateTime(QDate(2026, 3, 7), QTime(h, m, s));
}
}  // namespace

TEST(DateTimeFormat, PatternsWithRegionalSeparators) {
    // ar_EG marks its date separators right-to-left: "d\u200f/M\u200f/yyyy".
    const QLocale us("en_US"), de("de_DE"), fi("fi_FI"), ar("ar_EG");
    struct Case {
        QStringView pattern;
        QDateTime time;
        QLocale locale;
        QString expected;
    } cases[] = {
        // File stamp: fixed width, second "mm" (after "hh") is the minutes, no separators.
        {stamp::FileName, At(0, 5, 9), us, "07032026-000509"},
        {stamp::FileName, At(23, 59, 59), de, "07032026-235959"},
        // "/" and ":" become the locale's date and time separators; "mm" after "hh:" is minutes.
        {stamp::LogLine, At(14, 7, 3), us, "07/03/2026 14:07:03"},
        {stamp::LogLine, At(14, 7, 3), de, "07.03.2026 14:07:03"},
        {stamp::StartStop, At(14, 7, 3), us, "07:03:2026 14:07:03"},
        {stamp::StartStop, At(14, 7, 3), fi, "07.03.2026 14.07.03"},
        // 12-hour clock: midnight and noon are 12, am before noon, pm from noon on.
        {stamp::ClockPane, At(0, 5, 9), us, "07/03/2026 12:05:09 am"},
        {stamp::ClockPane, At(11, 59, 59), us, "07/03/2026 11:59:59 am"},
        {stamp::ClockPane, At(12, 0, 0), us, "07/03/2026 12:00:00 pm"},
        {stamp::ClockPane, At(23, 30, 1), de, "07.03.2026 11:30:01 pm"},
        // Bidirectional marks around a separator are not the separator.
        {stamp::ClockPane, At(14, 7, 3), ar, "07/03/2026 02:07:03 pm"},
        {stamp::LogLine, At(14, 7, 3), ar, "07/03/2026 14:07:03"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTime(c.pattern, c.time, c.locale), c.expected)
            << c.pattern.toString().toStdString() << " " << c.locale.name().toStdString();
    }
}

TEST(DateTimeFormat, NowComesFromTheClockSeam) {
    struct Fixed : Clock {
        QDateTime now() const override { return At(9, 8, 7); }
    } fixed;
    SetClock(&fixed);
    EXPECT_EQ(FormatNow(stamp::FileName), "07032026-090807");
    SetClock(nullptr);
}
