#include "LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace {

LinkLabel::Opener& CurrentOpener() {
    static LinkLabel::Opener opener;
    return opener;
}

}  // namespace

LinkLabel::LinkLabel(const QUrl& url, QWidget* parent) : QLabel(parent), m_url(url) {
    setTextFormat(Qt::PlainText);
    setText(url.toString());
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
}

void LinkLabel::setNormalColor(const QColor& c) {
    m_normal = c;
    applyColor(restingColor());
}

void LinkLabel::SetOpener(Opener opener) {
    CurrentOpener() = std::move(opener);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || !rect().contains(e->position().toPoint())) return;
    const Opener& opener = CurrentOpener();
    if (opener)
        opener(m_url);
    else
        QDesktopServices::openUrl(m_url);
    m_visited = true;
    applyColor(underMouse() && m_hover.isValid() ? m_hover : restingColor());
    emit clicked();
}

void LinkLabel::enterEvent(QEnterEvent* e) {
    QLabel::enterEvent(e);
    if (m_hover.isValid()) applyColor(m_hover);
}

void LinkLabel::leaveEvent(QEvent* e) {
    QLabel::leaveEvent(e);
    applyColor(restingColor());
}

QColor LinkLabel::restingColor() const {
    return m_visited && m_visitedColor.isValid() ? m_visitedColor : m_normal;
}

void LinkLabel::applyColor(const QColor& c) {
    if (!c.isValid()) return;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, c);
    setPalette(p);
}
