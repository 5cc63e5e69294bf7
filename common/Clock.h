#pragma once

#include <QDateTime>
#include <cstdint>

// Wall clock and millisecond tick counter, replaceable so tests can set the time and make the
// tick counter wrap.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;
    // now() as milliseconds since 1970 UTC, without the local-time conversion (which costs a
    // time-zone check per call on Linux), for callers that format a stamp once per second. A
    // test clock whose now() moves within a second overrides this as well.
    virtual qint64 epochMs() const;
    // Milliseconds since an arbitrary start, wrapping at 2^32 like the system tick count.
    virtual std::uint32_t tickCount() const;
};

// The clock every window reads; tests install their own with SetClock (nullptr restores the real).
Clock& SystemClock();
void SetClock(Clock* clock);
