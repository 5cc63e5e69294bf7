#include "syslog/SyslogLineModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

#include "syslog/SyslogStore.h"

namespace {

// Severity classes: 0 emergency, alert, critical; 1 error; 2 warning; 3 notice, info, debug;
// -1 the program's own lines.
int ClassOf(int severity) {
    if (severity < 0) return -1;
    if (severity <= 2) return 0;
    if (severity == 3) return 1;
    if (severity == 4) return 2;
    return 3;
}

// Dark enough for a contrast of at least 4.5:1 on white (and on the tint).
const QColor kInk[] = {QColor(0xB0, 0x00, 0x20), QColor(0xB8, 0x3A, 0x00), QColor(0x80, 0x5A, 0x00),
                       QColor(0x1B, 0x5F, 0xAA)};
const QColor kTint(0xFF, 0xE4, 0xE8);

// Markers: diamond, square, triangle, ring; the own lines get an empty one of the same size so
// every line's text starts in the same column.
const QPixmap& Marker(int cls) {
    static const std::vector<QPixmap> markers = [] {
        std::vector<QPixmap> out;
        constexpr int kSize = 10;
        for (int c = -1; c <= 3; ++c) {
            QPixmap p(kSize, kSize);
            p.fill(Qt::transparent);
            QPainter painter(&p);
            painter.setRenderHint(QPainter::Antialiasing);
            if (c >= 0) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(kInk[c]);
            }
            QPainterPath path;
            switch (c) {
                case 0:
                    path.moveTo(5, 0);
                    path.lineTo(10, 5);
                    path.lineTo(5, 10);
                    path.lineTo(0, 5);
                    path.closeSubpath();
                    break;
                case 1:
                    path.addRect(1, 1, 8, 8);
                    break;
                case 2:
                    path.moveTo(5, 0.5);
                    path.lineTo(10, 9.5);
                    path.lineTo(0, 9.5);
                    path.closeSubpath();
                    break;
                case 3:
                    painter.setBrush(Qt::NoBrush);
                    painter.setPen(QPen(kInk[c], 1.6));
                    path.addEllipse(QRectF(2, 2, 6, 6));
                    break;
                default:
                    break;
            }
            painter.drawPath(path);
            painter.end();
            out.push_back(p);
        }
        return out;
    }();
    return markers[std::size_t(cls + 1)];
}

char16_t Fold(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

}  // namespace

void SyslogLineModel::TextMatcher::setPattern(const QString& text) {
    m_bmp = true;
    m_folded.clear();
    for (QChar c : text) {
        if (c.isSurrogate()) m_bmp = false;
        m_folded.push_back(Fold(c.unicode()));
    }
    if (!m_bmp) m_other = QStringMatcher(text, Qt::CaseInsensitive);
}

bool SyslogLineModel::TextMatcher::matches(QStringView line) const {
    if (!m_bmp) return m_other.indexIn(line) >= 0;
    const qsizetype m = qsizetype(m_folded.size());
    const qsizetype n = line.size();
    if (m == 0) return true;
    const char16_t* h = line.utf16();
    const char16_t first = m_folded[0];
    for (qsizetype i = 0; i + m <= n; ++i) {
        if (Fold(h[i]) != first) continue;
        qsizetype k = 1;
        while (k < m && Fold(h[i + k]) == m_folded[std::size_t(k)]) ++k;
        if (k == m) return true;
    }
    return false;
}

SyslogLineModel::SyslogLineModel(const SyslogStore& store, QObject* parent)
    : QAbstractListModel(parent), m_store(store) {
    m_flush.setSingleShot(true);
    m_flush.setInterval(kFlushMs);
    connect(&m_flush, &QTimer::timeout, this, &SyslogLineModel::flush);
}

int SyslogLineModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return filtering() ? int(m_rows.size()) : m_taken;
}

int SyslogLineModel::storeRow(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return filtering() ? m_rows[std::size_t(row)] : row;
}

QModelIndex SyslogLineModel::indexOfStoreRow(int storeRow) const {
    if (storeRow < 0 || storeRow >= m_taken) return {};
    if (!filtering()) return index(storeRow);
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), storeRow);
    if (it == m_rows.end() || *it != storeRow) return {};
    return index(int(it - m_rows.begin()));
}

QVariant SyslogLineModel::data(const QModelIndex& index, int role) const {
    const int row = index.isValid() ? storeRow(index.row()) : -1;
    if (row < 0 || row >= m_store.count()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return m_store.line(row);
        case Qt::DecorationRole:
            return Marker(ClassOf(m_store.severity(row)));
        case Qt::ForegroundRole: {
            const int cls = ClassOf(m_store.severity(row));
            if (cls < 0) return {};
            return QBrush(kInk[cls]);
        }
        case Qt::BackgroundRole:
            if (ClassOf(m_store.severity(row)) == 0) return QBrush(kTint);
            return {};
        case Qt::FontRole:
            if (const int cls = ClassOf(m_store.severity(row)); cls == 0 || cls == 1) {
                QFont bold;  // only the weight is set: the rest comes from the list's font
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
    }
}

void SyslogLineModel::storeAppended() {
    if (m_flush.isActive()) return;
    const bool busy = m_sinceFlush.isValid() && m_sinceFlush.elapsed() < 2 * kBusyFlushMs;
    m_flush.start(busy ? kBusyFlushMs : kFlushMs);
}

void SyslogLineModel::storeCleared() {
    m_flush.stop();
    beginResetModel();
    m_taken = 0;
    m_rows.clear();
    m_remembered.clear();
    endResetModel();
}

bool SyslogLineModel::matches(int storeRow) const {
    if (m_lowest != kAllSeverities) {
        const int severity = m_store.severity(storeRow);
        if (severity < 0 || severity > m_lowest) return false;
    }
    return m_text.isEmpty() || m_matcher.matches(m_store.line(storeRow));
}

void SyslogLineModel::flush() {
    m_flush.stop();
    takeInAppended();
    m_sinceFlush.start();
    emit flushed();
}

void SyslogLineModel::takeInAppended() {
    const int count = m_store.count();
    if (m_taken >= count) return;
    if (!filtering()) {
        beginInsertRows({}, m_taken, count - 1);
        m_taken = count;
        endInsertRows();
        return;
    }
    std::vector<int> fresh;
    for (int r = m_taken; r < count; ++r)
        if (matches(r)) fresh.push_back(r);
    m_taken = count;
    if (fresh.empty()) return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(fresh.size()) - 1);
    m_rows.insert(m_rows.end(), fresh.begin(), fresh.end());
    endInsertRows();
}

void SyslogLineModel::setFilter(const QString& text, int lowestSeverity) {
    if (text == m_text && lowestSeverity == m_lowest) return;
    if (filtering()) {  // remember the rows of the filter being left
        std::erase_if(m_remembered, [&](const Remembered& r) {
            return r.text == m_text && r.lowest == m_lowest;
        });
        if (m_remembered.size() == kRemembered) m_remembered.erase(m_remembered.begin());
        m_remembered.push_back({m_text, m_lowest, m_taken, m_rows});
    }
    // A filter that only narrows the last one needs to look at the rows shown now, not all.
    const bool narrower = filtering() && text.contains(m_text, Qt::CaseInsensitive) &&
                          (m_lowest == kAllSeverities ||
                           (lowestSeverity != kAllSeverities && lowestSeverity <= m_lowest));
    const auto earlier = std::find_if(m_remembered.begin(), m_remembered.end(), [&](const auto& r) {
        return r.text == text && r.lowest == lowestSeverity;
    });
    const int known = m_taken;
    beginResetModel();
    m_text = text;
    m_matcher.setPattern(text);
    m_lowest = lowestSeverity;
    m_taken = m_store.count();
    std::vector<int> rows;
    if (filtering()) {
        int from = 0;  // store rows from here on are looked at
        if (earlier != m_remembered.end()) {
            rows = std::move(earlier->rows);
            from = earlier->taken;
            m_remembered.erase(earlier);
        } else if (narrower) {
            for (int r : m_rows)
                if (matches(r)) rows.push_back(r);
            from = known;
        }
        for (int r = from; r < m_taken; ++r)
            if (matches(r)) rows.push_back(r);
    }
    m_rows = std::move(rows);
    endResetModel();
}
