// Any bytes as a script file: the lines are cut at line breaks only, none is empty, and the
// static check of tamber4sim names what it finds without failing.
#include "fuzz/FuzzSupport.h"
#include "setup/engine/CommandTable.h"
#include "setup/engine/ScriptFile.h"
#include "tools/tamber4sim/ScriptCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = fuzz::Utf16(data, size);
  std::size_t units = 0;
  for (const std::wstring& line : setup::SplitScriptLines(text)) {
    fuzz::Require(!line.empty(), "no empty line");
    fuzz::Require(line.find_first_of(L"\r\n") == std::wstring::npos, "no line break in a line");
    units += line.size();
  }
  std::size_t kept = 0;
  for (wchar_t c : text) kept += c != L'\r' && c != L'\n';
  fuzz::Require(units == kept, "every other code unit is in a line");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const tamber4sim::Finding& f :
       tamber4sim::CheckScript(bytes, setup::ProgramCommands(), tamber4sim::IsMessageTableId))
    fuzz::Require(!f.text.empty(), "a finding says what it found");
  return 0;
}
