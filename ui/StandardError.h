#pragma once

#include <QString>
#include <exception>
#include <utility>

class QWidget;

// The application's title, the caption of the standard error box.
QString ApplicationTitle();

// Message with a full stop appended unless its last character is "." or a lower code.
QString WithFullStop(const QString& message);

// Shows an error no handler caught: message with the full-stop rule, application title, error icon.
void ShowStandardError(const QString& message);
void ShowStandardError(const std::exception& e);

// Runs a handler body so that an escaping exception ends only that handler and reaches the
// standard error box; the program then goes on with the next event.
template <class F>
void RunHandler(F&& body) {
    try {
        std::forward<F>(body)();
    } catch (const std::exception& e) {
        ShowStandardError(e);
    } catch (...) {
        ShowStandardError(QStringLiteral("Unknown error"));
    }
}
