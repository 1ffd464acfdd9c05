// A script line parsed, serialized and parsed again is the same record: names and values
// survive their escaping whatever the line holds. (An empty command name may be written as
// nothing at all: a line that is only "x|" has the empty command, like the empty line.)
#include "fuzz/FuzzSupport.h"
#include "setup/engine/CommandParameters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  setup::CommandParameters first;
  first.Parse(fuzz::Utf16(data, size));
  const std::wstring serialized = first.Serialize();
  setup::CommandParameters second;
  second.Parse(serialized);
  auto named = [](const setup::CommandParameters& line) {
    auto entries = line.entries();
    if (entries.count(L"") != 0 && entries.at(L"").empty()) entries.erase(L"");
    return entries;
  };
  fuzz::Require(named(second) == named(first), "parse(serialize(parse(x))) == parse(x)");
  fuzz::Require(second.Serialize() == serialized, "serialization is stable");
  return 0;
}
