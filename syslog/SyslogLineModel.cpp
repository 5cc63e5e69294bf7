#include "SyslogLineModel.h"

#include "VisibleControls.h"

int SyslogLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant SyslogLineModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_lines.size()) return {};
    return m_lines.at(index.row());
}

void SyslogLineModel::append(const QString& line) {
    const int row = int(m_lines.size());
    beginInsertRows({}, row, row);
    m_lines.append(VisibleControls(line));
    endInsertRows();
}

void SyslogLineModel::clear() {
    if (m_lines.isEmpty()) return;
    beginResetModel();
    m_lines.clear();
    endResetModel();
}
