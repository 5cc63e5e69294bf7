#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

// Runs the program's events until pred holds or ms have passed; returns pred's last value.
template <class Pred>
bool ProcessUntil(Pred pred, int ms) {
    QDeadlineTimer deadline(ms);
    while (!pred() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);  // processEvents returns at once when nothing is pending
    }
    return pred();
}
