#include "ui/LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

#include "ui/StandardError.h"

namespace {

LinkLabel::Opener& CurrentOpener() {
    static LinkLabel::Opener opener;
    return opener;
}

}  // namespace

LinkLabel::LinkLabel(const QString& caption, const QUrl& url, QWidget* parent)
    : QLabel(caption, parent), m_url(url) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setToolTip(url.toString());
    paintAs(false);
}

void LinkLabel::setColors(const QColor& normal, const QColor& hover, const QColor& visited) {
    m_normal = normal;
    m_hover = hover;
    m_visitedColor = visited;
    paintAs(m_hovered);
}

void LinkLabel::setAlwaysUnderlined(bool on) {
    m_alwaysUnderlined = on;
    paintAs(m_hovered);
}

void LinkLabel::SetOpener(Opener opener) {
    CurrentOpener() = std::move(opener);
}

void LinkLabel::paintAs(bool hovered) {
    m_hovered = hovered;
    QColor color = m_visited && m_visitedColor.isValid() ? m_visitedColor : m_normal;
    if (hovered && m_hover.isValid()) color = m_hover;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
    QFont f = font();
    f.setUnderline(hovered || m_alwaysUnderlined);
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
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        RunHandler([this] {
            if (const Opener& opener = CurrentOpener())
                opener(m_url);
            else
                QDesktopServices::openUrl(m_url);
        });
        m_visited = true;
        paintAs(m_hovered);
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}
