// "set-event": the setting side of the cross-process event protocol. A waiting program
// holds the mutex "Local\CrossProcessMutex:Memory:Event:<name>" open, keeps the GUID of the
// event it waits on at offset 4 of the 20-byte shared memory
// "Local\CrossProcessMemory:Event:<name>", and waits on "Local\CrossProcessEvent:<GUID>";
// both sides touch the memory only while they own the mutex.
#include <cstdint>

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/Com.h"
#include "platform/CurrentProcess.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "setup/commands/events/EventCommands.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "SetEvent";
constexpr wchar_t kCategory[] = L"RunCommandSetEvent";
constexpr std::uint32_t kSharedMemorySize = 20;
constexpr std::size_t kGuidOffset = 4;  // bytes 0 to 3 belong to the waiting side

struct ViewTraits {
  using Value = std::uint8_t*;
  static Value Invalid() { return nullptr; }
  static void Close(Value view) { platform::kernel().UnmapView(view); }
};
using ScopedView = platform::Owner<ViewTraits>;

platform::Win32Error LastError() { return platform::process().LastError(); }

// The binary GUID layout: 32-bit, 16-bit and 16-bit integers little-endian, then 8 bytes.
platform::Guid ReadGuid(const std::uint8_t* at) {
  platform::Guid guid;
  guid.data1 = std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
               std::uint32_t{at[3]} << 24;
  guid.data2 = static_cast<std::uint16_t>(at[4] | at[5] << 8);
  guid.data3 = static_cast<std::uint16_t>(at[6] | at[7] << 8);
  for (std::size_t i = 0; i < guid.data4.size(); ++i) guid.data4[i] = at[8 + i];
  return guid;
}

void WriteGuid(const platform::Guid& guid, std::uint8_t* at) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(guid.data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) at[4 + i] = static_cast<std::uint8_t>(guid.data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) at[6 + i] = static_cast<std::uint8_t>(guid.data3 >> (8 * i));
  for (std::size_t i = 0; i < guid.data4.size(); ++i) at[8 + i] = guid.data4[i];
}

// Sets the event after releasing the mutex, so the woken program can take the mutex at once.
void ReleaseAndSet(platform::Handle mutex, platform::Handle event) {
  if (!platform::kernel().ReleaseMutex(mutex)) {
    TAMBER_LOG(Error, kCategory, L"Failed to release mutex, error code: 0x%X.", LastError());
    return;
  }
  if (event != platform::kNoHandle && platform::kernel().SetEvent(event))
    TAMBER_LOG(Info, kCategory, L"Event set.");
  else
    TAMBER_LOG(Error, kCategory, L"Failed to set event.");
}

// With the mutex owned: swaps the GUID in the shared memory for `fresh` and sets the event
// of the old one. True when it came to releasing the mutex (whether that worked or not).
bool SwapGuidAndSet(platform::Handle mutex, const std::wstring& name, const platform::Guid& fresh) {
  platform::KernelObjects& kernel = platform::kernel();
  const std::wstring memoryName = L"Local\\CrossProcessMemory:Event:" + name;
  TAMBER_LOG(Debug, kCategory, L"Opening shared memory: '%s'.", memoryName);
  bool existed = false;
  const platform::ScopedHandle mapping(kernel.CreateNamedFileMapping(memoryName, kSharedMemorySize, &existed));
  if (!mapping.Valid()) {
    TAMBER_LOG(Error, kCategory, L"Could not create file mapping, error code: 0x%X.", LastError());
    return false;
  }
  const ScopedView view(kernel.MapView(mapping.Get()));
  if (!view.Valid()) {
    TAMBER_LOG(Error, kCategory, L"Could not map the view of the memory file, error code: 0x%X.",
               LastError());
    return false;
  }
  const std::wstring waited = platform::GuidToString(ReadGuid(view.Get() + kGuidOffset));
  const std::wstring eventName = L"Local\\CrossProcessEvent:" + waited;
  TAMBER_LOG(Debug, kCategory,
             L"Cross-process mutex exists, shared memory guid is '%s', creating event '%s'.",
             waited, eventName);
  const platform::ScopedHandle event(kernel.CreateNamedEvent(eventName, true, false, &existed));
  TAMBER_LOG(Debug, kCategory,
             L"Writing new guid '%s' to shared memory, releasing the mutex and setting the event.",
             platform::GuidToString(fresh));
  WriteGuid(fresh, view.Get() + kGuidOffset);
  ReleaseAndSet(mutex, event.Get());
  return true;
}

void SignalWaiter(platform::Handle mutex, const std::wstring& name) {
  // Made before the mutex is taken, so that nothing raises while this process owns it.
  platform::Guid fresh;
  TAMBER_THROW_IF_FAILED(platform::com().CreateGuid(&fresh));
  const std::uint32_t waited = platform::kernel().Wait(mutex, platform::wait::Infinite);
  if (waited == platform::wait::Object0 && SwapGuidAndSet(mutex, name, fresh)) return;
  if (waited != platform::wait::Object0) {
    TAMBER_LOG(Error, kCategory, L"Unexpected return code while waiting for event, error code: 0x%X.",
               LastError());
    if (waited != platform::wait::Abandoned) return;
  }
  // Owned and not released on the way: closing the handle would not free it, and the
  // waiting program would block until this process ends.
  platform::kernel().ReleaseMutex(mutex);
}

}  // namespace

void RunCommandSetEvent(CommandParameters& line) {
  const std::wstring name = line.GetParameter(L"name");
  if (name.empty())
    TAMBER_LOG(Error, kCategory,
               L"The event name must be specified in the '%s' parameter for the '%s' command.",
               L"name", L"set-event");
  TAMBER_LOG(Info, kCategory, L"Configuring cross-process event '%s'.", name);
  const std::wstring mutexName = L"Local\\CrossProcessMutex:Memory:Event:" + name;
  TAMBER_LOG(Debug, kCategory, L"Creating cross-process mutex '%s'.", mutexName);
  bool existed = false;
  const platform::ScopedHandle mutex(platform::kernel().CreateNamedMutex(mutexName, false, &existed));
  if (!mutex.Valid())
    TAMBER_LOG(Info, kCategory, L"Could not create mutex (0x%X), process assumed not running.",
               LastError());
  else if (!existed)
    TAMBER_LOG(Info, kCategory, L"An event named '%s' does not exist.", name);
  else
    SignalWaiter(mutex.Get(), name);
  line.SetResult(LineResult::Success);
}

}  // namespace setup
