// The parameters a command's line may carry, as the command's table row declares them: one
// word per parameter, separated by spaces.
//
//   name           any text
//   name!          must be present and not empty
//   name#          the name followed by a decimal number (arg1, arg2, ...)
//   name:kind      a value of that kind when not empty: number (signed decimal), guid
//                  (braced), flag (yes or no), message-id (an id of the message table),
//                  path (may start with a special folder), or allowed words a/b/c
//
// Every line may also carry "result". The declarations are read by the script checker of
// tamber4sim; the interpreter reads parameters by name and ignores the declarations.
#pragma once

#include <string>
#include <vector>

namespace setup {

enum class ValueKind { Text, Number, Guid, Flag, MessageId, Path, Choice };

struct ParameterDeclaration {
  std::wstring name;
  bool required = false;
  bool numbered = false;  // stands for name1, name2, ...
  ValueKind kind = ValueKind::Text;
  std::vector<std::wstring> choices;  // the allowed words of a Choice

  // Whether `parameter` is the parameter this declares.
  bool Declares(const std::wstring& parameter) const;
};

std::vector<ParameterDeclaration> ParseParameterDeclarations(const wchar_t* declarations);

// Whether `value` is of `kind`, for the kinds that need no script context (Number, Guid,
// Flag, Choice against `choices`); true for the others.
bool IsValueOfKind(const std::wstring& value, ValueKind kind,
                   const std::vector<std::wstring>& choices);

}  // namespace setup

// Groups of parameters that several commands share, to be joined into a row's declaration.
#define TAMBER_BOX_PARAMETERS                                                     \
  L" title message message-id-title:message-id message-id-message:message-id" \
  L" icon:error/info/warning/none"
#define TAMBER_REGISTRY_CHECK_PARAMETERS                                                        \
  L" registry-path registry-value-name registry-value-data"                                     \
  L" registry-value-data-is:equal-to/less-than/less-than-or-equal/greater-than/greater-than-or-equal" \
  L" compare-as-number:flag compare-as-version:flag"
#define TAMBER_COMMAND_LINE_PARAMETERS L" arg# arg-quoted# force-no-quotes:flag"
