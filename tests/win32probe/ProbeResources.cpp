// The probe's own resources (Probe.rc, ProbeMessages.mc): message table, string, version.
#include <windows.h>

#include "Probe.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Resources.h"

namespace probe {
namespace {

constexpr platform::LangId kEnglish = 0x0409;
constexpr platform::LangId kSpanish = 0x0C0A;

// One message lookup: its result, text and the last error right after it.
struct Message {
  bool found = false;
  std::wstring text;
  platform::Win32Error error = 0;
};

Message Format(platform::ModuleHandle module, std::uint32_t id, platform::LangId language) {
  Message message;
  message.found = platform::resources().FormatModuleMessage(module, id, language, &message.text);
  message.error = platform::process().LastError();
  return message;
}

void ProbeMessageTable() {
  Message m = Format(0, 215, kEnglish);
  Check("resources: FormatModuleMessage, %0 ends the text", m.found && m.text == L"Probe title",
        m.text);
  m = Format(0, 215, kSpanish);
  Check("resources: FormatModuleMessage in Spanish",
        m.found && m.text == L"T\u00edtulo de la sonda", m.text);
  m = Format(platform::process().ExecutableModule(), 219, kEnglish);
  Check("resources: FormatModuleMessage of the module handle, %% gives %",
        m.found && m.text == L"Copying %FILENAME% now", m.text);
  m = Format(0, 220, kEnglish);
  Check("resources: FormatModuleMessage keeps the final line break",
        m.found && m.text == L"Two lines\r\n", m.text);
  // With no argument list, an insert fails the call instead of reading missing arguments.
  m = Format(0, 221, kEnglish);
  Check("resources: FormatModuleMessage of a text with an insert fails",
        !m.found && m.text.empty() && m.error != 0, Hex(m.error));
  m = Format(0, 999, kEnglish);
  Check("resources: FormatModuleMessage of a missing id fails with the last error set",
        !m.found && m.text.empty() && m.error != 0, Hex(m.error));
}

void ProbeStringAndVersion() {
  auto& resources = platform::resources();
  std::wstring text;
  const bool loaded = resources.LoadStringResource(131, &text);
  Check("resources: LoadStringResource",
        loaded && text == L"https://example.invalid/probe/script.crvdat", text);
  Check("resources: LoadStringResource of a missing id fails",
        !resources.LoadStringResource(132, &text));
  std::uint16_t parts[4] = {};
  const bool versioned = resources.FileVersion(parts);
  Check("resources: FileVersion",
        versioned && parts[0] == 4 && parts[1] == 3 && parts[2] == 2 && parts[3] == 1,
        std::to_wstring(parts[0]) + L"." + std::to_wstring(parts[1]) + L"." +
            std::to_wstring(parts[2]) + L"." + std::to_wstring(parts[3]));
}

}  // namespace

void ProbeResources() {
  ProbeMessageTable();
  ProbeStringAndVersion();
}

}  // namespace probe
