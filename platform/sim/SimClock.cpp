#include "platform/sim/SimClock.h"

#include <chrono>

namespace platform::sim {
namespace {

constexpr std::uint64_t kMsPerDay = 86'400'000;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDays1601To1970 = 134'774;

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2);
}

// The default "now": 2026-03-01 10:15:42 UTC, an arbitrary fixed moment.
SystemTime DefaultStart() {
  SystemTime t;
  t.year = 2026;
  t.month = 3;
  t.day = 1;
  t.hour = 10;
  t.minute = 15;
  t.second = 42;
  return t;
}

}  // namespace

std::uint64_t SystemTimeToMilliseconds(const SystemTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) + kDays1601To1970;
  return static_cast<std::uint64_t>(days) * kMsPerDay +
         ((t.hour * 60ull + t.minute) * 60ull + t.second) * 1000ull + t.milliseconds;
}

SystemTime MillisecondsToSystemTime(std::uint64_t ms) {
  const std::int64_t days = static_cast<std::int64_t>(ms / kMsPerDay);
  std::uint64_t rest = ms % kMsPerDay;
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilFromDays(days - kDays1601To1970, &year, &month, &day);
  SystemTime t;
  t.year = static_cast<std::uint16_t>(year);
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(day);
  t.dayOfWeek = static_cast<std::uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  t.hour = static_cast<std::uint16_t>(rest / 3'600'000);
  t.minute = static_cast<std::uint16_t>(rest / 60'000 % 60);
  t.second = static_cast<std::uint16_t>(rest / 1000 % 60);
  t.milliseconds = static_cast<std::uint16_t>(rest % 1000);
  return t;
}

SimClock::SimClock()
    : ticks_(3'600'000), ticksAtBase_(ticks_), utcBase_(SystemTimeToMilliseconds(DefaultStart())) {}

void SimClock::Advance(std::uint64_t milliseconds) { ticks_ += milliseconds; }

void SimClock::SetUtcNow(const SystemTime& time) {
  ticksAtBase_ = ticks_;
  utcBase_ = SystemTimeToMilliseconds(time);
}

void SimClock::SetTickCount(std::uint64_t milliseconds) {
  const std::uint64_t now = UtcMilliseconds();
  ticks_ = milliseconds;
  ticksAtBase_ = ticks_;
  utcBase_ = now;
}

std::int64_t SimClock::PerformanceCounter() const {
  return static_cast<std::int64_t>(ticks_) * (kPerformanceFrequency / 1000);
}

SystemTime SimClock::UtcNow() const { return MillisecondsToSystemTime(UtcMilliseconds()); }

SystemTime SimClock::HostUtcNow() {
  using namespace std::chrono;
  const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
  return MillisecondsToSystemTime(static_cast<std::uint64_t>(sinceEpoch.count()) +
                                  static_cast<std::uint64_t>(kDays1601To1970) * kMsPerDay);
}

}  // namespace platform::sim
