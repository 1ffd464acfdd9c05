// The cost of logging, printed (never asserted): a call whose severity is off, which must
// be no more than a bit test, and lines written to a real file with Info on.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "logging/Log.h"
#include "logging/LogTesting.h"
#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"

namespace {

constexpr char kLogSource[] = "LogBench";

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Calls the call-site macro `calls` times with every severity off.
void MeasureMaskOff(long calls) {
  logging::LogSeverityMask.store(0);
  std::wstring name = L"component";
  Clock::time_point start = Clock::now();
  for (long i = 0; i < calls; ++i)
    TAMBER_LOG(Info, L"LogBench", L"Line %d of component '%s'.", i, name);
  double seconds = SecondsSince(start);
  std::printf("mask off:   %ld calls, %.2f ns per call\n", calls, seconds * 1e9 / calls);

  start = Clock::now();
  for (long i = 0; i < calls; ++i)
    logging::LogMessage(logging::Debug, L"LogBench", kLogSource, __LINE__, L"Line %d.", i);
  seconds = SecondsSince(start);
  std::printf("mask off:   %ld LogMessage calls, %.2f ns per call\n", calls,
              seconds * 1e9 / calls);
}

// Writes `lines` Info lines with the default columns into a log file on the host.
void MeasureInfoToFile(const std::filesystem::path& root, long lines) {
  platform::sim::SimMachine machine(root);
  platform::ScopedMachine guard(machine.machine());
  logging::ResetLogForTesting();
  logging::OpenLog(0, true, true);
  if (logging::LogSeverityMask.load() == 0) {
    std::printf("info on:    the log could not be opened\n");
    return;
  }
  std::wstring name = L"component";
  Clock::time_point start = Clock::now();
  for (long i = 0; i < lines; ++i)
    TAMBER_LOG(Info, L"LogBench", L"Line %d of component '%s'.", i, name);
  double seconds = SecondsSince(start);
  std::printf("info on:    %ld lines to %ls, %.0f lines per second (%.1f us per line)\n", lines,
              logging::LogFilePath().c_str(), lines / seconds, seconds * 1e6 / lines);
  logging::ResetLogForTesting();
}

}  // namespace

int main(int argc, char** argv) {
  long calls = argc > 1 ? std::atol(argv[1]) : 200000000L;
  long lines = argc > 2 ? std::atol(argv[2]) : 20000L;
  std::filesystem::path root = std::filesystem::temp_directory_path() / "tamber4-logbench";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  MeasureMaskOff(calls);
  MeasureInfoToFile(root, lines);
  std::filesystem::remove_all(root);
  return 0;
}
