#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QString>
#include <QStringMatcher>
#include <QTimer>
#include <string>
#include <vector>

class SyslogStore;

// The syslog list as the list box shows it: one row per stored line, or per line that passes the
// view filter (text, case-insensitive, and the lowest severity shown). The filter hides rows from
// the view only; the store keeps, rotates and saves every line.
//
// Received lines are drawn in the colour of their severity (emergency to critical, error,
// warning, notice to debug), the two worst classes in bold and the worst on a tinted ground, each
// class with its own marker shape, so they stay apart without telling hues apart. The program's
// own lines stay plain.
//
// The store changes at once; views hear of appended rows in batches: kFlushMs after the first
// line that follows a quiet spell, then every kBusyFlushMs while lines keep coming, so a flood
// costs ten view layouts and paints a second, not one per line.
class SyslogLineModel : public QAbstractListModel {
    Q_OBJECT
  public:
    static constexpr int kFlushMs = 25;
    static constexpr int kBusyFlushMs = 100;
    // The longest a new line waits before the views show it.
    static constexpr int kLongestFlushMs = kBusyFlushMs;
    static constexpr int kAllSeverities = -1;

    explicit SyslogLineModel(const SyslogStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;  // rows the views know
    QVariant data(const QModelIndex& index, int role) const override;

    // From the store: lines were appended (taken in at the next batch) or all were removed.
    void storeAppended();
    void storeCleared();
    // Tells the views about every stored line now.
    void flush();
    bool flushPending() const { return m_flush.isActive(); }

  signals:
    // After every batch of rows was taken in (also when the batch showed no row).
    void flushed();

  public:
    // Shows only lines containing text (ignoring case; empty: any) whose severity is at least
    // as grave as lowestSeverity (0 emergency .. 7 debug; kAllSeverities: every line, the
    // program's own included).
    void setFilter(const QString& text, int lowestSeverity);
    bool filtering() const { return !m_text.isEmpty() || m_lowest != kAllSeverities; }

    // Store row of a view row, and the view row of a store row (invalid when it is hidden or
    // the views do not know it yet).
    int storeRow(int row) const;
    QModelIndex indexOfStoreRow(int storeRow) const;

  private:
    // Case-insensitive substring test, fast for the usual ASCII text (a keystroke looks at every
    // line), exact for any text: Unicode simple case folding.
    class TextMatcher {
      public:
        void setPattern(const QString& text);
        bool matches(QStringView line) const;

      private:
        std::u16string m_folded;  // the pattern folded, when it lies in the BMP
        QStringMatcher m_other;   // otherwise
        bool m_bmp = true;
    };
    // A filter's rows, kept for a while: deleting typed characters again brings an earlier
    // filter back without looking at every line.
    struct Remembered {
        QString text;
        int lowest;
        int taken;
        std::vector<int> rows;
    };
    static constexpr std::size_t kRemembered = 16;

    bool matches(int storeRow) const;
    void takeInAppended();

    const SyslogStore& m_store;
    QTimer m_flush;
    QElapsedTimer m_sinceFlush;
    int m_taken = 0;          // store rows the views were told about (shown or filtered out)
    std::vector<int> m_rows;  // while filtering: the store rows shown, ascending
    QString m_text;
    TextMatcher m_matcher;
    int m_lowest = kAllSeverities;
    std::vector<Remembered> m_remembered;  // most recent last; forgotten when the store empties
};
