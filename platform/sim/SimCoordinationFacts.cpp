#include "platform/sim/SimCoordinationFacts.h"

#include <vector>

#include "platform/sim/SimFactFields.h"
#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

// What COM answers for a class that is not registered (REGDB_E_CLASSNOTREG).
constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154u);

bool ApplyService(SimMachine& m, const std::vector<std::wstring>& f) {
  std::uint32_t startType = 0;
  if (f.size() != 2 || f[0].empty() || !ParseFactCode(f[1], &startType) || startType > 4)
    return false;
  SimService service;
  if (const SimService* known = m.services().Service(f[0])) service = *known;
  service.startType = startType;
  m.services().SetService(f[0], service);
  return true;
}

bool ApplyRunningProcess(SimMachine& m, const std::vector<std::wstring>& f) {
  if (f.size() < 2 || f.size() > 3 || f[0].empty()) return false;
  SimProgram program;
  std::uint32_t milliseconds = 0;
  if (f[1] == L"forever")
    program.runMilliseconds = kRunsForever;
  else if (ParseFactCode(f[1], &milliseconds))
    program.runMilliseconds = milliseconds;
  else
    return false;
  if (f.size() == 3 && f[2] != L"ignores-termination") return false;
  program.ignoresTermination = f.size() == 3;
  m.processes().RunProcess(f[0], program);
  return true;
}

}  // namespace

bool ApplyCoordinationFact(SimMachine& m, const std::string& key, const std::string& value) {
  std::wstring text;
  if (!UnescapeField(value, &text)) return false;
  if (key == "service") return ApplyService(m, FactFields(text));
  if (key == "running-process") return ApplyRunningProcess(m, FactFields(text));
  if (key == "windows-update" && (text == L"yes" || text == L"no")) {
    m.windowsUpdate().SetCreationResult(text == L"yes" ? hr::Ok : kClassNotRegistered);
    return true;
  }
  return false;
}

std::string CoordinationFactsText(SimMachine& m) {
  std::string out;
  for (const auto& [upper, service] : m.services().Services())
    out += FactLine("service", service.name + L"|" + FactCode(service.startType, false));
  out += FactLine("windows-update", hr::Succeeded(m.windowsUpdate().state().creationResult) ? L"yes" : L"no");
  return out;
}

}  // namespace platform::sim
