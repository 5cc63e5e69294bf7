#include "LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

#include "StandardError.h"

LinkLabel::LinkLabel(const QString& caption, const QUrl& url, QWidget* parent)
    : QLabel(caption, parent), m_url(url) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setToolTip(url.toString());
    paintAs(false);
}

void LinkLabel::paintAs(bool hovered) {
    m_hovered = hovered;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, hovered ? QColor(0x00, 0x80, 0x00) : QColor(0x0d, 0x47, 0xa1));
    setPalette(p);
    QFont f = font();
    f.setUnderline(hovered);
    setFont(f);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    paintAs(true);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    paintAs(false);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        RunHandler([this] { QDesktopServices::openUrl(m_url); });
    QLabel::mouseReleaseEvent(event);
}
