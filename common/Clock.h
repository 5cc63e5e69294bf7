#pragma once

#include <QDateTime>
#include <cstdint>

// Wall clock and millisecond tick counter, replaceable so tests can set the time and make the
// tick counter wrap.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;
    // Milliseconds since an arbitrary start, wrapping at 2^32 like the system tick count.
    virtual std::uint32_t tickCount() const;
};

// The clock every window reads; tests install their own with SetClock (nullptr restores the real).
Clock& SystemClock();
void SetClock(Clock* clock);
