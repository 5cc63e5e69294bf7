#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace {

// Enter on the focused button clicks it, as Space does; a held key clicks once.
class EnterClicksFocusedButton : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        auto* button = static_cast<QPushButton*>(watched);
        if (!key->isAutoRepeat() && button->isEnabled()) button->click();
        return true;
    }
};

}  // namespace

QFont FixedPitchFont(bool bold) {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setBold(bold);
    return f;
}

QFont FixedPitchPoints(int points) {
    QFont f = FixedPitchFont();
    f.setPointSize(points);
    return f;
}

QFont FixedPitchPixels(int pixels) {
    QFont f = FixedPitchFont();
    f.setPixelSize(pixels);
    return f;
}

QPushButton* MakeButton(const QString& caption, const QString& iconPath, const QString& hint) {
    auto* b =
        iconPath.isEmpty() ? new QPushButton(caption) : new QPushButton(QIcon(iconPath), caption);
    if (!iconPath.isEmpty()) b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    return b;
}

void AppendLogLine(QListWidget* list, const QString& line, int limit) {
    list->addItem(line);
    list->setCurrentRow(list->count() - 1);
    list->scrollToItem(list->currentItem());
    if (list->count() > limit) list->clear();
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

void ButtonsRunOnlyWhenMeant(QWidget* window) {
    auto* filter = new EnterClicksFocusedButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(filter);
    }
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}
