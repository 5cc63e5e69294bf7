#include "CenterOnScreen.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>

void CenterOnScreen(QWidget* window) {
    if (QScreen* screen = window->screen())
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                                screen->availableGeometry()));
}
