#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The syslog list: one line per row, appended in amortised constant time, emptied at once.
// Every line is stored with its control characters made visible (VisibleControls), so a row
// is always one display line and one file line.
class SyslogLineModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void append(const QString& line);
    void clear();
    const QStringList& lines() const { return m_lines; }

  private:
    QStringList m_lines;
};
