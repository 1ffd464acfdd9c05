// Named mutex: creation with the already-existed flag, waits that succeed, time out and find
// the mutex abandoned, and release.
#include <windows.h>

#include "Probe.h"
#include "platform/CurrentProcess.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"

namespace probe {
namespace {

namespace wait = platform::wait;
using platform::Handle;

constexpr wchar_t kMutexName[] = L"Local\\Tamber4ProbeMutex";

// A second thread that takes the mutex, tells the probe, waits to be let go, and ends
// without releasing it, so that the mutex is abandoned.
struct Holder {
  HANDLE taken = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE letGo = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;

  ~Holder() {
    ::SetEvent(letGo);
    if (thread != nullptr) {
      ::WaitForSingleObject(thread, 5000);
      ::CloseHandle(thread);
    }
    ::CloseHandle(taken);
    ::CloseHandle(letGo);
  }

  static DWORD WINAPI Run(void* context) {
    auto* holder = static_cast<Holder*>(context);
    bool existed = false;
    const Handle mutex = platform::kernel().CreateNamedMutex(kMutexName, true, &existed);
    if (existed) platform::kernel().Wait(mutex, wait::Infinite);
    ::SetEvent(holder->taken);
    ::WaitForSingleObject(holder->letGo, INFINITE);
    platform::kernel().Close(mutex);
    return 0;
  }

  bool Start() {
    thread = ::CreateThread(nullptr, 0, &Run, this, 0, nullptr);
    return thread != nullptr && ::WaitForSingleObject(taken, 5000) == WAIT_OBJECT_0;
  }

  void Finish() {
    ::SetEvent(letGo);
    ::WaitForSingleObject(thread, 5000);
  }
};

void ProbeOwnMutex() {
  auto& kernel = platform::kernel();
  bool existed = true;
  const Handle first = kernel.CreateNamedMutex(kMutexName, true, &existed);
  Check("mutex: CreateNamedMutex of a new name", first != platform::kNoHandle && !existed);
  const Handle second = kernel.CreateNamedMutex(kMutexName, false, &existed);
  Check("mutex: CreateNamedMutex of a used name says it already existed",
        second != platform::kNoHandle && existed);
  Check("mutex: Wait by the owning thread succeeds at once",
        kernel.Wait(second, 0) == wait::Object0);
  Check("mutex: ReleaseMutex for each acquisition",
        kernel.ReleaseMutex(second) && kernel.ReleaseMutex(first));
  const bool releasedAgain = kernel.ReleaseMutex(first);
  const platform::Win32Error error = platform::process().LastError();
  Check("mutex: ReleaseMutex of a mutex not owned fails", !releasedAgain, Hex(error));
  Check("mutex: Close", kernel.Close(second) && kernel.Close(first));
}

void ProbeContendedMutex() {
  auto& kernel = platform::kernel();
  Holder holder;
  if (!Check("mutex: a second thread takes the mutex", holder.Start())) return;
  bool existed = false;
  const Handle mutex = kernel.CreateNamedMutex(kMutexName, false, &existed);
  Check("mutex: Wait on a mutex held elsewhere times out",
        existed && kernel.Wait(mutex, 50) == wait::Timeout);
  holder.Finish();
  Check("mutex: Wait after the holder ended finds it abandoned",
        kernel.Wait(mutex, 5000) == wait::Abandoned);
  Check("mutex: ReleaseMutex after taking an abandoned mutex", kernel.ReleaseMutex(mutex));
  Check("mutex: Wait on a closed handle fails",
        kernel.Close(mutex) && kernel.Wait(mutex, 0) == wait::Failed);
}

}  // namespace

void ProbeKernelObjects() {
  ProbeOwnMutex();
  ProbeContendedMutex();
}

}  // namespace probe
