// Fuzz target for the syslog datagram parser: nothing a sender puts in a datagram may crash it,
// and what the component sends must read back unchanged.
#include <QDateTime>
#include <QTimeZone>
#include <cstdint>
#include <cstdlib>

#include "netcomp/wire/SyslogFormat.h"
#include "netcomp/wire/SyslogParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const SyslogMessage m = ParseSyslog(datagram);
    if (m.FacilityCode < 0 || m.FacilityCode > 23 || m.SeverityCode < 0 || m.SeverityCode > 7)
        std::abort();
    if (m.Message.size() > qsizetype(size) || m.Timestamp.size() > 32 || m.Hostname.size() > 255)
        std::abort();

    // Send the parsed text again: it must come back as it went, unless it starts or ends with
    // what the parser treats as framing (BOM, trailing CR LF NUL).
    const QString& text = m.Message;
    const bool framing = text.startsWith(QChar(0xFEFF)) ||
                         (!text.isEmpty() && (text.back() == u'\r' || text.back() == u'\n' ||
                                              text.back() == QChar(0)));
    if (!framing) {
        static const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5, 6), QTimeZone::utc());
        const QByteArray sent = FormatSyslog(m.FacilityCode, m.SeverityCode, text, when, m.Hostname,
                                             QStringLiteral("fuzz"), 1);
        const SyslogMessage back = ParseSyslog(sent);
        if (!back.Conforms || back.Message != text || back.FacilityCode != m.FacilityCode ||
            back.SeverityCode != m.SeverityCode)
            std::abort();
    }
    return 0;
}
