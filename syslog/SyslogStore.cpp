#include "syslog/SyslogStore.h"

#include <QDir>

#include "common/Clock.h"
#include "common/DateTimeFormat.h"
#include "common/Exception.h"
#include "common/PadColumn.h"
#include "common/SavedLog.h"
#include "syslog/VisibleControls.h"

SyslogStore::SyslogStore(Clock& clock) : m_clock(clock) {}

QString SyslogStore::noticeLine(const QString& path) {
    return QStringLiteral("Save log-data to --> ") + QDir::toNativeSeparators(path);
}

void SyslogStore::add(const QString& line, int severity) {
    m_lines.append(VisibleControls(line));
    m_severities.push_back(std::int8_t(severity));
    call(m_listener.appended);
}

void SyslogStore::removeAll() {
    m_lines.clear();
    m_severities.clear();
    m_selected = -1;
    call(m_listener.cleared);
}

void SyslogStore::select(int row) {
    if (row == m_selected) return;
    m_selected = row;
    call(m_listener.selectionChanged);
}

void SyslogStore::append(const QString& text, int severity) {
    appendLine(text, severity, true);
}

void SyslogStore::appendReceived(const QString& text, int severity) {
    const bool pausing = !m_saveFailure.isEmpty() && m_clock.tickCount() - m_failedAt < kRetryMs;
    appendLine(text, severity, !pausing);
}

void SyslogStore::appendLine(const QString& text, int severity, bool mayRotate) {
    if (m_stamp) {
        // The clock is read for every line; the text changes only with the second.
        const qint64 second = m_clock.epochMs() / 1000;
        if (second != m_stampSecond) {
            m_stampText = PadColumn(FormatDateTime(stamp::LogLine, m_clock.now()), u' ', 20);
            m_stampSecond = second;
        }
        add(m_stampText + text, severity);
    } else {
        add(text, severity);
    }
    select(count() - 1);
    if (mayRotate && count() > m_limit) rotate();
}

void SyslogStore::rotate() {
    QString path;
    try {
        path = saveList(QStringLiteral("auto-"));
    } catch (const Exception& e) {
        m_failedAt = m_clock.tickCount();
        setSaveFailure(e.message());
        throw;
    }
    removeAll();
    add(noticeLine(path), kNoSeverity);  // no stamp, no limit check, not selected
    setSaveFailure({});
}

void SyslogStore::setSaveFailure(const QString& text) {
    if (text == m_saveFailure) return;
    m_saveFailure = text;
    call(m_listener.saveFailureChanged);
}

QString SyslogStore::saveList(const QString& prefix) {
    // Distinct within one second: SavedLogPath numbers a name that exists already.
    const QString path = SavedLogPath(QDir::currentPath(), prefix, m_clock.now());
    WriteSavedLog(path, m_lines);
    return path;
}

void SyslogStore::clearWithSave() {
    const QString path = saveList(QStringLiteral("before-clear-"));
    removeAll();
    append(noticeLine(path));
}

void SyslogStore::saveAs(const QString& path) {
    WriteSavedLog(path, m_lines);
    add(noticeLine(path), kNoSeverity);
}

void SyslogStore::saveBeforeClose() {
    if (count() > 0) saveList(QStringLiteral("before-close-"));
}
