#include "setup/engine/ParameterDeclarations.h"

#include <cwctype>
#include <sstream>

namespace setup {
namespace {

bool AllDigits(const std::wstring& text, std::size_t from, std::size_t to) {
  if (from >= to) return false;
  for (std::size_t i = from; i < to; ++i)
    if (!std::iswdigit(text[i])) return false;
  return true;
}

bool IsHex(wchar_t c) { return std::iswxdigit(c) != 0; }

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
bool IsBracedGuid(const std::wstring& value) {
  static const std::wstring kShape = L"{########-####-####-####-############}";
  if (value.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i)
    if (kShape[i] == L'#' ? !IsHex(value[i]) : value[i] != kShape[i]) return false;
  return true;
}

// An optional minus sign and up to ten digits: the exit codes and numbers a script writes.
bool IsDecimal(const std::wstring& value) {
  const std::size_t from = !value.empty() && value[0] == L'-' ? 1 : 0;
  return value.size() - from <= 10 && AllDigits(value, from, value.size());
}

ValueKind KindNamed(const std::wstring& name, std::vector<std::wstring>* choices) {
  if (name == L"number") return ValueKind::Number;
  if (name == L"guid") return ValueKind::Guid;
  if (name == L"flag") return ValueKind::Flag;
  if (name == L"message-id") return ValueKind::MessageId;
  if (name == L"path") return ValueKind::Path;
  std::wstringstream words(name);
  for (std::wstring word; std::getline(words, word, L'/');) choices->push_back(word);
  return ValueKind::Choice;
}

ParameterDeclaration ParseOne(std::wstring word) {
  ParameterDeclaration declaration;
  const std::size_t colon = word.find(L':');
  if (colon != std::wstring::npos) {
    declaration.kind = KindNamed(word.substr(colon + 1), &declaration.choices);
    word.erase(colon);
  }
  if (!word.empty() && word.back() == L'!') {
    declaration.required = true;
    word.pop_back();
  }
  if (!word.empty() && word.back() == L'#') {
    declaration.numbered = true;
    word.pop_back();
  }
  declaration.name = word;
  return declaration;
}

}  // namespace

bool ParameterDeclaration::Declares(const std::wstring& parameter) const {
  if (!numbered) return parameter == name;
  return parameter.compare(0, name.size(), name) == 0 &&
         AllDigits(parameter, name.size(), parameter.size());
}

std::vector<ParameterDeclaration> ParseParameterDeclarations(const wchar_t* declarations) {
  std::vector<ParameterDeclaration> parsed;
  std::wstringstream words(declarations == nullptr ? L"" : declarations);
  for (std::wstring word; words >> word;) parsed.push_back(ParseOne(word));
  return parsed;
}

bool IsValueOfKind(const std::wstring& value, ValueKind kind,
                   const std::vector<std::wstring>& choices) {
  switch (kind) {
    case ValueKind::Number:
      return IsDecimal(value);
    case ValueKind::Guid:
      return IsBracedGuid(value);
    case ValueKind::Flag:
      return value == L"yes" || value == L"no";
    case ValueKind::Choice:
      for (const std::wstring& choice : choices)
        if (value == choice) return true;
      return false;
    default:
      return true;
  }
}

}  // namespace setup
