#include "netcomp/wire/SyslogFormat.h"

namespace {

QByteArray HeaderField(const QString& text, qsizetype maxLength) {
    QByteArray out;
    for (QChar c : text) {
        if (out.size() == maxLength) break;
        if (c.unicode() >= 33 && c.unicode() <= 126) out.append(char(c.unicode()));
    }
    return out.isEmpty() ? QByteArray("-") : out;
}

}  // namespace

QByteArray FormatSyslog(int facility, int severity, const QString& message, const QDateTime& time,
                        const QString& hostname, const QString& appName, qint64 procId) {
    QByteArray out;
    out.reserve(64 + message.size() * 3);
    out += '<' + QByteArray::number(facility * 8 + severity) + ">1 ";
    out += time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs).toLatin1();
    out += ' ' + HeaderField(hostname, 255);
    out += ' ' + HeaderField(appName, 48);
    out += ' ' + (procId > 0 ? QByteArray::number(procId) : QByteArray("-"));
    out += " - - ";
    out += message.toUtf8();
    return out;
}
