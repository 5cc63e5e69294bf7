#include "netcomp/wire/SyslogParser.h"

#include <array>

namespace {

using View = QByteArrayView;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsPrintUsAscii(char c) {
    return c >= 33 && c <= 126;
}

QString Decode(View bytes) {
    return QString::fromUtf8(bytes);
}

// Trailing line ends and NULs are framing some senders add, not part of the text.
View TrimFraming(View v) {
    while (!v.isEmpty() && (v.back() == '\n' || v.back() == '\r' || v.back() == '\0')) v.chop(1);
    return v;
}

// Value of `n` digits at v[pos..], or -1.
int Number(View v, qsizetype pos, int n) {
    if (pos + n > v.size()) return -1;
    int value = 0;
    for (int i = 0; i < n; ++i) {
        const char c = v[pos + i];
        if (!IsDigit(c)) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "<PRI>": 1 to 3 digits without leading zeros, at most 191. Returns the length taken, 0 if none.
qsizetype ParsePri(View v, int& pri) {
    if (v.isEmpty() || v[0] != '<') return 0;
    qsizetype i = 1;
    int value = 0;
    while (i < v.size() && i <= 3 && IsDigit(v[i])) value = value * 10 + (v[i++] - '0');
    const qsizetype digits = i - 1;
    if (digits == 0 || i >= v.size() || v[i] != '>') return 0;
    if (digits > 1 && v[1] == '0') return 0;
    if (value > 191) return 0;
    pri = value;
    return i + 1;
}

// Next token up to a blank (or the end); advances pos past it.
View Token(View v, qsizetype& pos) {
    const qsizetype start = pos;
    while (pos < v.size() && v[pos] != ' ') ++pos;
    return v.sliced(start, pos - start);
}

bool AllPrintable(View t, qsizetype maxLen) {
    if (t.isEmpty() || t.size() > maxLen) return false;
    for (char c : t)
        if (!IsPrintUsAscii(c)) return false;
    return true;
}

// RFC 3339 as restricted by RFC 5424: 2003-10-11T22:14:15.003Z or with +hh:mm / -hh:mm.
bool IsRfc5424Time(View t) {
    if (t.size() < 20) return false;
    const int year = Number(t, 0, 4), month = Number(t, 5, 2), day = Number(t, 8, 2);
    const int hour = Number(t, 11, 2), minute = Number(t, 14, 2), second = Number(t, 17, 2);
    if (year < 0 || t[4] != '-' || month < 1 || month > 12 || t[7] != '-' || day < 1 || day > 31 ||
        t[10] != 'T' || hour < 0 || hour > 23 || t[13] != ':' || minute < 0 || minute > 59 ||
        t[16] != ':' || second < 0 || second > 59)
        return false;
    qsizetype i = 19;
    if (t[i] == '.') {
        const qsizetype start = ++i;
        while (i < t.size() && IsDigit(t[i])) ++i;
        if (i == start || i - start > 6) return false;
    }
    if (i < t.size() && t[i] == 'Z') return i + 1 == t.size();
    if (i + 6 != t.size() || (t[i] != '+' && t[i] != '-')) return false;
    const int offHour = Number(t, i + 1, 2), offMinute = Number(t, i + 4, 2);
    return offHour >= 0 && offHour <= 23 && t[i + 3] == ':' && offMinute >= 0 && offMinute <= 59;
}

// STRUCTURED-DATA: "-" or one or more [SD-ID *(SP name="value")]. Advances pos past it.
bool SkipStructuredData(View v, qsizetype& pos) {
    if (pos < v.size() && v[pos] == '-') {
        ++pos;
        return true;
    }
    auto name = [&] {  // SD-NAME: 1 to 32 printable characters other than = SP ] "
        const qsizetype start = pos;
        while (pos < v.size() && IsPrintUsAscii(v[pos]) && v[pos] != '=' && v[pos] != ']' &&
               v[pos] != '"')
            ++pos;
        return pos > start && pos - start <= 32;
    };
    bool any = false;
    while (pos < v.size() && v[pos] == '[') {
        ++pos;
        if (!name()) return false;
        while (pos < v.size() && v[pos] == ' ') {
            ++pos;
            if (!name() || pos >= v.size() || v[pos] != '=') return false;
            if (++pos >= v.size() || v[pos] != '"') return false;
            ++pos;
            while (pos < v.size() && v[pos] != '"') pos += (v[pos] == '\\') ? 2 : 1;
            if (pos >= v.size()) return false;
            ++pos;  // closing quote
        }
        if (pos >= v.size() || v[pos] != ']') return false;
        ++pos;
        any = true;
    }
    return any;
}

bool ParseRfc5424(View rest, SyslogMessage& m) {
    if (!rest.startsWith("1 ")) return false;
    qsizetype pos = 2;
    const View time = Token(rest, pos);
    if (time != "-" && !IsRfc5424Time(time)) return false;
    static constexpr std::array<qsizetype, 4> kMax = {255, 48, 128, 32};  // host, app, proc, msgid
    std::array<View, 4> fields;
    for (size_t f = 0; f < kMax.size(); ++f) {
        if (pos >= rest.size() || rest[pos] != ' ') return false;
        ++pos;
        fields[f] = Token(rest, pos);
        if (!AllPrintable(fields[f], kMax[f])) return false;
    }
    if (pos >= rest.size() || rest[pos] != ' ') return false;
    const qsizetype sdStart = ++pos;
    if (!SkipStructuredData(rest, pos)) return false;
    const View sd = rest.sliced(sdStart, pos - sdStart);
    View text;
    if (pos < rest.size()) {
        if (rest[pos] != ' ') return false;
        text = rest.sliced(pos + 1);
        if (text.startsWith("\xEF\xBB\xBF")) text = text.sliced(3);
    }
    m.Timestamp = time == "-" ? QString() : Decode(time);
    m.Hostname = fields[0] == "-" ? QString() : Decode(fields[0]);
    if (sd == "-")
        m.Message = Decode(text);
    else if (text.isEmpty())
        m.Message = Decode(sd);
    else
        m.Message = Decode(sd) + QLatin1Char(' ') + Decode(text);
    return true;
}

// "Mmm dd hh:mm:ss" with the day padded by a blank ("Oct  1").
bool IsRfc3164Time(View t) {
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (t.size() != 15) return false;
    bool month = false;
    for (const char* name : kMonths) month = month || t.first(3) == View(name);
    if (!month || t[3] != ' ') return false;
    const int day = t[4] == ' ' ? Number(t, 5, 1) : Number(t, 4, 2);
    const int hour = Number(t, 7, 2), minute = Number(t, 10, 2), second = Number(t, 13, 2);
    return day >= 1 && day <= 31 && t[6] == ' ' && hour >= 0 && hour <= 23 && t[9] == ':' &&
           minute >= 0 && minute <= 59 && t[12] == ':' && second >= 0 && second <= 60;
}

bool ParseRfc3164(View rest, SyslogMessage& m) {
    if (rest.size() < 15 || !IsRfc3164Time(rest.first(15))) return false;
    if (rest.size() > 15 && rest[15] != ' ') return false;
    m.Timestamp = Decode(rest.first(15));
    View after = rest.size() > 16 ? rest.sliced(16) : View();
    // The host name is the next word when more text follows it and it does not look like the
    // tag that starts the text ("sshd[42]:", "su:"); senders that log locally leave it out.
    qsizetype pos = 0;
    const View word = Token(after, pos);
    const bool isTag = word.endsWith(':') || word.contains('[') || word.contains(']');
    if (pos < after.size() && AllPrintable(word, 255) && !isTag) {
        m.Hostname = Decode(word);
        after = after.sliced(pos + 1);
    }
    m.Message = Decode(after);
    return true;
}

}  // namespace

SyslogMessage ParseSyslog(QByteArrayView datagram) {
    SyslogMessage m;
    const View all = TrimFraming(datagram);
    int pri = 0;
    const qsizetype priLength = ParsePri(all, pri);
    if (priLength > 0) {
        m.FacilityCode = pri / 8;
        m.SeverityCode = pri % 8;
        const View rest = all.sliced(priLength);
        m.Conforms = ParseRfc5424(rest, m) || ParseRfc3164(rest, m);
        if (!m.Conforms) m.Message = Decode(rest);
    } else {
        m.Message = Decode(all);
    }
    m.Facility = FacilityName(m.FacilityCode);
    m.Severity = SeverityName(m.SeverityCode);
    return m;
}

QString FacilityName(int code) {
    static const std::array<const char*, 24> kNames = {
        "kernel", "user",   "mail",     "daemon", "auth",   "syslog", "lpr",    "news",
        "uucp",   "cron",   "authpriv", "ftp",    "ntp",    "audit",  "alert",  "clock",
        "local0", "local1", "local2",   "local3", "local4", "local5", "local6", "local7"};
    if (code < 0 || code >= int(kNames.size())) return QString::number(code);
    return QLatin1String(kNames[size_t(code)]);
}

QString SeverityName(int code) {
    static const std::array<const char*, 8> kNames = {"emergency", "alert",  "critical", "error",
                                                      "warning",   "notice", "info",     "debug"};
    if (code < 0 || code >= int(kNames.size())) return QString::number(code);
    return QLatin1String(kNames[size_t(code)]);
}
