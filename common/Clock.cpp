#include "common/Clock.h"

#include <QElapsedTimer>

QDateTime Clock::now() const {
    return QDateTime::currentDateTime();
}

qint64 Clock::epochMs() const {
    return QDateTime::currentMSecsSinceEpoch();
}

std::uint32_t Clock::tickCount() const {
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint32_t>(started.elapsed());
}

namespace {
Clock g_systemClock;
Clock* g_clock = &g_systemClock;
}  // namespace

Clock& SystemClock() {
    return *g_clock;
}
void SetClock(Clock* c) {
    g_clock = c ? c : &g_systemClock;
}
