// The keys of a machine description (machine.txt): what each takes, its default and its
// meaning. `tamber4sim keys` prints them, a new description starts from them, and a bad
// key or value is reported with them.
#pragma once

#include <string>

namespace platform::sim {

struct MachineKey {
  const char* key;      // "string-N" stands for every string-table number
  const char* takes;    // the value's form
  const char* initial;  // the default machine's value, empty when it has none
  const char* meaning;
};

// The key named `key`, or null.
const MachineKey* FindMachineKey(const std::string& key);

// The error text for line `number` of `file`, whose key or value could not be used.
std::string MachineLineError(const std::string& file, int number, const std::string& key,
                             const std::string& value);

// Every key, one per paragraph: "key = takes (default: ...)" and its meaning.
std::string MachineKeysText();

// A description for a new machine: the system programs of a Windows 10 machine, and every
// other key as a comment with its default.
std::string MachineTemplateText();

}  // namespace platform::sim
