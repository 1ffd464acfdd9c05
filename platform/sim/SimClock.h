// The simulated machine's clock: virtual time that moves only when the machine sleeps or
// waits, or when a test advances it, so runs are repeatable and never really wait.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace platform::sim {

class SimClock {
 public:
  // Counts per second of the performance counter (as on current Windows).
  static constexpr std::int64_t kPerformanceFrequency = 10'000'000;

  SimClock();

  // Moves time forward.
  void Advance(std::uint64_t milliseconds);
  // Sets the UTC time of "now" (the tick count is unchanged).
  void SetUtcNow(const SystemTime& time);
  // Sets the tick count of "now" (milliseconds since start-up).
  void SetTickCount(std::uint64_t milliseconds);

  // Milliseconds since start-up; GetTickCount is its low 32 bits.
  std::uint64_t Ticks() const { return ticks_; }
  std::uint32_t TickCount() const { return static_cast<std::uint32_t>(ticks_); }
  std::int64_t PerformanceCounter() const;
  SystemTime UtcNow() const;
  // Milliseconds since 1601-01-01 (the FILETIME epoch) of "now".
  std::uint64_t UtcMilliseconds() const { return utcBase_ + (ticks_ - ticksAtBase_); }

  // The current host time as a SystemTime (UTC), for machines that start at the real time.
  static SystemTime HostUtcNow();

 private:
  std::uint64_t ticks_;
  std::uint64_t ticksAtBase_;
  std::uint64_t utcBase_;  // milliseconds since 1601 at ticksAtBase_
};

// Conversions between SystemTime and milliseconds since 1601-01-01 (proleptic Gregorian).
std::uint64_t SystemTimeToMilliseconds(const SystemTime& time);
SystemTime MillisecondsToSystemTime(std::uint64_t milliseconds);

}  // namespace platform::sim
