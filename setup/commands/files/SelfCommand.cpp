#include "setup/commands/files/SelfCommand.h"

#include "logging/Log.h"

namespace setup {
namespace {
constexpr char kLogSource[] = "SelfCommand";
}  // namespace

void RunCommandSelf(CommandParameters& line, SetupState& state) {
  const std::wstring uri = line.GetParameter(L"uri");
  if (!state.rootUri.empty()) {
    TAMBER_LOG(Info, L"RunCommandSelf", L"Setting '%s' command's '%s' parameter to '%s'.", L"self",
               L"uri", state.rootUri);
    line.SetParameter(L"uri", state.rootUri);
  } else if (!uri.empty()) {
    TAMBER_LOG(Info, L"RunCommandSelf",
               L"Setting the root URI from the '%s' command's '%s' parameter to '%s'.", L"self",
               L"uri", uri);
    state.rootUri = uri;
  }
  line.SetResult(LineResult::Repeat);
}

}  // namespace setup
