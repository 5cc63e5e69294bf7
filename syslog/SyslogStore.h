#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class Clock;

// The syslog list as a store, without a window: lines in arrival order with the severity each
// received line came with, the local stamp option, the line limit with rotation into "auto-"
// files, the before-clear, before-close and chosen-name saves and their notice lines. Saves go
// to the process's current directory at the moment of saving. Failed saves throw the saved-log
// error (Exception); nothing of the list is lost by a failure.
//
// Every line is stored with its control characters made visible (VisibleControls), so a line is
// always one display line and one file line.
class SyslogStore {
  public:
    static constexpr int kNoSeverity = -1;  // the program's own lines
    // While automatic saves fail, received lines try the rotation again at most this often.
    static constexpr std::uint32_t kRetryMs = 1000;

    explicit SyslogStore(Clock& clock);

    // Options, read at every append.
    void setLimit(int limit) { m_limit = limit; }
    int limit() const { return m_limit; }
    void setStamp(bool on) { m_stamp = on; }
    bool stamp() const { return m_stamp; }

    // What the list model and the window hear. Appended: lines were added at the end (the
    // views may take them in later, in a batch). Cleared: the list was emptied (now, before any
    // line is added again). SelectionChanged: selected() moved. SaveFailureChanged: an
    // automatic save failed, or worked again after failing.
    struct Listener {
        std::function<void()> appended, cleared, selectionChanged, saveFailureChanged;
    };
    void setListener(Listener listener) { m_listener = std::move(listener); }

    // Appends a line: with the local stamp in front when the option is on, selected, and the
    // whole list rotated into an "auto-" file when it now holds more lines than the limit. A
    // failed rotation throws after the line was added; the next append tries again.
    void append(const QString& text, int severity = kNoSeverity);
    // The same for a received line, except that while rotations fail they are tried again only
    // once per kRetryMs, so a flood does not become a flood of failed file creations.
    void appendReceived(const QString& text, int severity);

    // Clear Log, once confirmed: saves into a "before-clear-" file (also when empty), empties the
    // list and appends the notice line for that file (stamped when the option is on, selected).
    void clearWithSave();
    // Save Log: writes the list to path and adds the notice line without stamp, selection or
    // limit check.
    void saveAs(const QString& path);
    // The save when the window closes: a "before-close-" file when the list is not empty; the
    // list is left as it is.
    void saveBeforeClose();

    int count() const { return int(m_lines.size()); }
    const QStringList& lines() const { return m_lines; }
    const QString& line(int row) const { return m_lines.at(row); }
    int severity(int row) const { return m_severities[std::size_t(row)]; }
    // Selected line, -1 for none. The user's choice in a view is given back through select().
    int selected() const { return m_selected; }
    void select(int row);

    // Why the last automatic save failed ("Cannot create file ..."); empty when it did not.
    const QString& saveFailure() const { return m_saveFailure; }

    static QString noticeLine(const QString& path);

  private:
    void appendLine(const QString& text, int severity, bool mayRotate);
    void add(const QString& line, int severity);
    void removeAll();
    void rotate();
    QString saveList(const QString& prefix);
    void setSaveFailure(const QString& text);
    static void call(const std::function<void()>& f) {
        if (f) f();
    }

    Clock& m_clock;
    int m_limit = 10000;
    bool m_stamp = false;
    Listener m_listener;
    QStringList m_lines;
    std::vector<std::int8_t> m_severities;  // one per line, kNoSeverity for own lines
    int m_selected = -1;
    QString m_saveFailure;
    std::uint32_t m_failedAt = 0;  // tick of the last failed rotation
    // The line stamp of the second it was last made for: formatting once per second, not per line.
    qint64 m_stampSecond = -1;
    QString m_stampText;
};
