#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Builds the datagram the component sends: RFC 5424, because it carries the year, the time zone
// and a declared UTF-8 text, which RFC 3164 lacks.
//   <PRI>1 TIMESTAMP HOSTNAME APP-NAME PROCID - - MESSAGE
// Header fields are reduced to printable ASCII and cut to their RFC lengths ("-" when empty).
// facility 0..23 and severity 0..7 are the caller's to check.
QByteArray FormatSyslog(int facility, int severity, const QString& message, const QDateTime& time,
                        const QString& hostname, const QString& appName, qint64 procId);
