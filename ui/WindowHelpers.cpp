#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

QFont FixedPitchFont(bool bold) {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setBold(bold);
    return f;
}

void CenterOnScreen(QWidget* window) {
    if (QScreen* screen = window->screen())
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                                screen->availableGeometry()));
}

void CenterOverWindow(QWidget* window, const QWidget* over) {
    const QSize size = window->frameGeometry().size();
    QPoint at = over->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
    if (const QScreen* screen = over->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::max(std::min(at.x(), area.right() + 1 - size.width()), area.left()));
        at.setY(std::max(std::min(at.y(), area.bottom() + 1 - size.height()), area.top()));
    }
    window->move(at);
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}
