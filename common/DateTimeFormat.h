#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Stamps made from a pattern: "dd" day, "mm" month (minutes right after an "hh"), "yyyy" year,
// "hh" hour (12-hour clock when the pattern holds "am/pm"), "nn" minutes, "ss" seconds, "am/pm";
// "/" is the regional date separator and ":" the regional time separator; anything else is kept.
// Every numeric field is zero-filled to two digits (four for the year). The locale is the
// default one unless given: the system's, unless a test sets another.
QString FormatDateTime(QStringView pattern, const QDateTime& time,
                       const QLocale& locale = QLocale());

// The same for the clock seam's current time.
QString FormatNow(QStringView pattern);

// The regional separators: the first separator of the locale's short date and time formats.
QChar DateSeparator(const QLocale& locale);
QChar TimeSeparator(const QLocale& locale);

// The patterns in use.
namespace stamp {
inline constexpr QStringView FileName = u"ddmmyyyy-hhmmss";
inline constexpr QStringView LogLine = u"dd/mm/yyyy hh:mm:ss";
inline constexpr QStringView StartStop = u"dd:mm:yyyy hh:mm:ss";
inline constexpr QStringView ClockPane = u"dd/mm/yyyy hh:nn:ss am/pm";
}  // namespace stamp
