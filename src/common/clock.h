#pragma once

#include <cstdint>
#include <random>

#include "common/date_time.h"

namespace pezolva {

// Where the present moment comes from: the machine's local clock, or a
// clock a test sets, so that "due after exactly 86400 seconds" and copy
// names can be tested exactly.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
};

class SystemClock : public Clock {
  public:
    DateTime now() override;
};

// A clock that stands still until told to move.
class FixedClock : public Clock {
  public:
    explicit FixedClock(DateTime t) : now_(t) {}
    DateTime now() override { return now_; }
    void set(DateTime t) { now_ = t; }
    void advance_seconds(std::int64_t s) { now_ = DateTime::from_seconds(now_.to_seconds() + s); }

  private:
    DateTime now_;
};

// Random draws: uniform in [0, 1).
class Random {
  public:
    virtual ~Random() = default;
    virtual double uniform() = 0;
};

// Seeded from the clock and the system's entropy, as a start-up sample wants.
class SystemRandom : public Random {
  public:
    SystemRandom();
    double uniform() override;

  private:
    std::mt19937_64 generator_;
};

// Always gives the value it was last set to.
class ScriptedRandom : public Random {
  public:
    explicit ScriptedRandom(double value) : value_(value) {}
    double uniform() override { return value_; }
    void set(double value) { value_ = value; }

  private:
    double value_;
};

}  // namespace pezolva
