#include "tools/tamber4sim/CommandList.h"

#include "platform/sim/SimText.h"
#include "setup/engine/ParameterDeclarations.h"

namespace tamber4sim {
namespace {

using setup::ValueKind;

std::string Takes(const setup::ParameterDeclaration& d) {
  std::string takes;
  switch (d.kind) {
    case ValueKind::Text: break;
    case ValueKind::Number: takes = "a decimal number"; break;
    case ValueKind::Guid: takes = "a braced GUID"; break;
    case ValueKind::Flag: takes = "yes or no"; break;
    case ValueKind::MessageId: takes = "an id of the message table"; break;
    case ValueKind::Path: takes = "a path (may start with a special folder)"; break;
    case ValueKind::Choice:
      for (const std::wstring& word : d.choices)
        takes += (takes.empty() ? "one of " : ", ") + platform::sim::WideToUtf8(word);
      break;
  }
  if (d.required) takes = takes.empty() ? "required" : "required, " + takes;
  return takes;
}

std::string ParameterLine(const setup::ParameterDeclaration& d) {
  std::string name = platform::sim::WideToUtf8(d.name);
  if (d.numbered) name += "1, " + name + "2, ...";
  const std::string takes = Takes(d);
  if (takes.empty()) return "  " + name + "\n";
  if (name.size() < 30) name.resize(30, ' ');
  return "  " + name + " " + takes + "\n";
}

}  // namespace

std::string CommandListText(const setup::CommandTable& commands) {
  std::string text;
  for (const setup::CommandEntry& entry : commands.entries()) {
    if (!entry.handler) continue;  // not carried out by this build
    text += platform::sim::WideToUtf8(entry.name) + "\n";
    if (entry.parameters == nullptr) continue;
    for (const setup::ParameterDeclaration& d : setup::ParseParameterDeclarations(entry.parameters))
      text += ParameterLine(d);
  }
  return text;
}

}  // namespace tamber4sim
