#pragma once

#include <QFont>
#include <QObject>
#include <functional>

#include "ui/StandardError.h"

class QListWidget;
class QPushButton;
class QWidget;

// The fixed-pitch face of every list and memo that shows aligned lines ("Courier New", or another
// monospace face where it is missing). Callers set the size.
QFont FixedPitchFont(bool bold = false);
// The same face at a size in points, or in pixels.
QFont FixedPitchPoints(int points);
QFont FixedPitchPixels(int pixels);

// A push button with its caption, and an icon (16 pixels) and hint where given.
QPushButton* MakeButton(const QString& caption, const QString& iconPath = {},
                        const QString& hint = {});

// Appends a line to a window's log list, selects and shows it, and empties the list once it
// holds more than `limit` lines (the new line included).
void AppendLogLine(QListWidget* list, const QString& line, int limit);

// Moves a top-level window to the middle of its screen's available area.
void CenterOnScreen(QWidget* window);
// Moves a top-level window so that its middle is over the middle of another window, kept
// within the screen's available area where it fits (its top-left corner always is).
void CenterOverWindow(QWidget* window, const QWidget* over);

// Makes a window's push buttons run only when meant: clicked, or Space or Enter while the button
// has the focus. None is a default button, so Enter in a field or list runs nothing (in a dialog
// the first button would otherwise take every Enter the fields pass on). Call it once the
// window's buttons exist.
void ButtonsRunOnlyWhenMeant(QWidget* window);

// The hourglass for the guard's lifetime.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Connects a signal to a handler of the receiver (a member function or a callable taking the
// receiver) that runs under RunHandler, so an escaping exception reaches the standard error box.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection ConnectHandler(Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler] {
        RunHandler([&] { std::invoke(handler, receiver); });
    });
}
