#include "SyslogLineModel.h"

#include "VisibleControls.h"

SyslogLineModel::SyslogLineModel(QObject* parent) : QAbstractListModel(parent) {
    m_flush.setSingleShot(true);
    m_flush.setInterval(kFlushMs);
    connect(&m_flush, &QTimer::timeout, this, &SyslogLineModel::flush);
}

int SyslogLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

QVariant SyslogLineModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_shown) return {};
    return m_lines.at(index.row());
}

void SyslogLineModel::append(const QString& line) {
    m_lines.append(VisibleControls(line));
    if (!m_flush.isActive()) m_flush.start();
}

void SyslogLineModel::flush() {
    m_flush.stop();
    if (m_shown >= m_lines.size()) return;
    beginInsertRows({}, m_shown, int(m_lines.size()) - 1);
    m_shown = int(m_lines.size());
    endInsertRows();
}

void SyslogLineModel::clear() {
    m_flush.stop();
    if (m_lines.isEmpty() && m_shown == 0) return;
    beginResetModel();
    m_lines.clear();
    m_shown = 0;
    endResetModel();
}
