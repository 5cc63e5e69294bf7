#pragma once

// Enter pressed the way a user presses it in a field: a window's buttons must not run from it.

#include <QAbstractButton>
#include <QList>
#include <QTest>
#include <QWidget>

// Presses Return and keypad Enter in every control of a shown window that takes the focus and
// is not a button itself (edits, the edits of combo boxes, lists, memos); returns how often any
// of the window's buttons was clicked meanwhile.
inline int ButtonClicksFromEnterInFields(QWidget* window) {
    int clicks = 0;
    QList<QMetaObject::Connection> watching;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        watching << QObject::connect(b, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    for (QWidget* field : window->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(field) || field->focusPolicy() == Qt::NoFocus ||
            !field->isVisibleTo(window) || !field->isEnabled())
            continue;
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
    }
    for (const auto& c : watching) QObject::disconnect(c);
    return clicks;
}
