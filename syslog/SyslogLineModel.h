#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <QTimer>

// The syslog list: one line per row, appended in amortised constant time, emptied at once.
// Every line is stored with its control characters made visible (VisibleControls), so a row
// is always one display line and one file line.
//
// The store (lines(), count()) changes at once; views hear of appended rows at most every
// kFlushMs, in one batch, so a burst of packets costs one view layout, not one per line.
class SyslogLineModel : public QAbstractListModel {
    Q_OBJECT
  public:
    static constexpr int kFlushMs = 25;

    explicit SyslogLineModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;  // rows the views know
    QVariant data(const QModelIndex& index, int role) const override;

    void append(const QString& line);
    void clear();
    // Tells the views about every stored line now.
    void flush();
    const QStringList& lines() const { return m_lines; }
    int count() const { return int(m_lines.size()); }

  private:
    QStringList m_lines;
    int m_shown = 0;
    QTimer m_flush;
};
