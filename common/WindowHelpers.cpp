#include "WindowHelpers.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

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

void CenterOver(QWidget* window, const QWidget* over) {
    if (!over || !over->isVisible()) return CenterOnScreen(window);
    QRect frame = window->frameGeometry();
    frame.moveCenter(over->frameGeometry().center());
    window->move(frame.topLeft());
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}
