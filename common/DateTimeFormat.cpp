#include "common/DateTimeFormat.h"

#include "common/Clock.h"

namespace {

// First character of a Qt date/time format that is neither a field letter nor quoting. Invisible
// format characters are passed over: Arabic locales put a right-to-left mark before each date
// separator ("d\u200f/M\u200f/yyyy").
QChar FirstSeparator(const QString& format, QChar fallback) {
    for (QChar c : format)
        if (!c.isLetter() && c != u'\'' && !c.isSpace() && c.category() != QChar::Other_Format)
            return c;
    return fallback;
}

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

QChar DateSeparator(const QLocale& locale) {
    return FirstSeparator(locale.dateFormat(QLocale::ShortFormat), u'/');
}

QChar TimeSeparator(const QLocale& locale) {
    return FirstSeparator(locale.timeFormat(QLocale::ShortFormat), u':');
}

QString FormatDateTime(QStringView pattern, const QDateTime& time, const QLocale& locale) {
    const QDate d = time.date();
    const QTime t = time.time();
    const bool twelveHour = pattern.contains(QLatin1String("am/pm"), Qt::CaseInsensitive);
    const QChar dateSep = DateSeparator(locale);
    const QChar timeSep = TimeSeparator(locale);

    QString out;
    bool lastWasHour = false;  // "mm" right after an "hh" (separators between allowed) is minutes
    for (qsizetype i = 0; i < pattern.size();) {
        const QStringView rest = pattern.mid(i);
        auto starts = [&](const char* token) {
            return rest.startsWith(QLatin1String(token), Qt::CaseInsensitive);
        };
        if (starts("am/pm")) {
            out += t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
            i += 5;
            lastWasHour = false;
        } else if (starts("yyyy")) {
            out += QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
            i += 4;
            lastWasHour = false;
        } else if (starts("dd")) {
            out += TwoDigits(d.day());
            i += 2;
            lastWasHour = false;
        } else if (starts("mm")) {
            out += TwoDigits(lastWasHour ? t.minute() : d.month());
            i += 2;
            lastWasHour = false;
        } else if (starts("hh")) {
            int h = t.hour();
            if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
            out += TwoDigits(h);
            i += 2;
            lastWasHour = true;
        } else if (starts("nn")) {
            out += TwoDigits(t.minute());
            i += 2;
            lastWasHour = false;
        } else if (starts("ss")) {
            out += TwoDigits(t.second());
            i += 2;
            lastWasHour = false;
        } else {
            const QChar c = pattern.at(i);
            out += c == u'/' ? dateSep : c == u':' ? timeSep : c;
            ++i;
        }
    }
    return out;
}

QString FormatNow(QStringView pattern) {
    return FormatDateTime(pattern, SystemClock().now());
}
