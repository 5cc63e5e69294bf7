#pragma once

// Finds a window's control by its object name, as the tests drive windows whose controls are
// private.

#include <QObject>
#include <QString>
#include <stdexcept>

template <class T>
T* Child(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        throw std::logic_error(std::string("no control named ") + name + " of the expected kind");
    return found;
}
