#include "ComUtil/ErrorText.h"

#include <cstdint>

#include "platform/Com.h"
#include "platform/Machine.h"
#include "platform/RegistryKey.h"
#include "platform/SystemInfo.h"
#include "text/Format.h"

namespace ComUtil {

const char kStructuredExceptionText[] = "Structured Exception";

namespace {

constexpr std::uint32_t kClassNameMaxBytes = 1024;
constexpr std::uint32_t kDispatchErrorBase = 0x80040200u;
constexpr std::uint32_t kDispatchErrorLast = 0x8004FFFFu;

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

void TrimTrailingLineBreaks(std::wstring* text) {
  while (!text->empty() && IsLineBreak(text->back())) text->pop_back();
}

// The message inside one log field: no CR, and LF read as a space.
std::wstring FlattenMessage(std::wstring text) {
  TrimTrailingLineBreaks(&text);
  std::wstring flat;
  flat.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    flat.push_back(c == L'\n' ? L' ' : c);
  }
  return flat;
}

// The default value of HKEY_CLASSES_ROOT\<subKey>, or `fallback` when there is none.
std::wstring RegisteredName(const std::wstring& subKey, const std::wstring& fallback) {
  platform::ScopedRegKey key;
  if (key.Open(platform::kHkeyClassesRoot, subKey, platform::reg::Read) !=
      platform::err::Success)
    return fallback;
  std::wstring name;
  std::uint32_t type = platform::reg::None;
  if (platform::QueryStringValue(key.get(), std::wstring(), kClassNameMaxBytes, &name, &type) !=
          platform::err::Success ||
      (type != platform::reg::Sz && type != platform::reg::ExpandSz))
    return fallback;
  return name;
}

// What the error information tells, already cleaned; empty parts when there is none.
struct ErrorDetails {
  std::wstring description;
  std::wstring sourceName;
  std::wstring interfaceName;
};

// Reads the description, source and interface id; when any of them cannot be read the
// description is left empty (the message text is used instead).
ErrorDetails ReadErrorDetails(platform::ErrorInfo* info) {
  ErrorDetails details;
  if (info == nullptr) return details;
  std::wstring source;
  platform::Guid iid;
  bool haveDescription = info->Description(&details.description);
  bool haveSource = info->Source(&source);
  if (!haveSource) source.clear();
  bool haveIid = info->InterfaceId(&iid);
  if (!haveIid) iid = platform::Guid{};
  if (haveDescription && haveSource && haveIid)
    TrimTrailingLineBreaks(&details.description);
  else
    details.description.clear();
  if (!source.empty()) details.sourceName = RegisteredName(source, source);
  if (!iid.IsZero()) {
    std::wstring iidText = platform::GuidToString(iid);
    details.interfaceName = RegisteredName(L"Interface\\" + iidText, iidText);
  }
  return details;
}

void AppendOrigin(std::wstring* text, const ErrorDetails& details) {
  if (!details.sourceName.empty()) text->append(L" (Source: ").append(details.sourceName);
  if (!details.interfaceName.empty()) {
    text->append(details.sourceName.empty() ? L" (" : L"; ");
    text->append(L"Interface: ").append(details.interfaceName).append(L")");
  } else if (!details.sourceName.empty()) {
    text->append(L")");
  }
}

void AppendSourcePlace(std::wstring* text, const char* sourceFile, int sourceLine) {
  if (sourceFile != nullptr) text->append(text::Format(L" [%hs(%d)]", sourceFile, sourceLine));
}

void AppendHeading(std::wstring* text, const wchar_t* where) {
  if (where != nullptr) text->append(L" in ").append(where);
  text->append(L": ");
}

}  // namespace

std::wstring ComErrorMessage(platform::HResult hr) {
  std::wstring text;
  if (platform::system().SystemErrorText(static_cast<std::uint32_t>(hr), 0, &text) &&
      !text.empty()) {
    if (text.back() == L'\n') {
      text.pop_back();
      if (!text.empty() && text.back() == L'\r') text.pop_back();
    }
    return text;
  }
  std::uint32_t code = static_cast<std::uint32_t>(hr);
  if (code > kDispatchErrorBase && code <= kDispatchErrorLast)
    return text::Format(L"IDispatch error #%d", code - kDispatchErrorBase);
  return text::Format(L"Unknown error 0x%0lX", hr);
}

std::wstring FormatComErrorText(const _com_error& error, const wchar_t* where,
                                const char* sourceFile, int sourceLine) {
  std::wstring message = FlattenMessage(error.ErrorMessage());
  ErrorDetails details = ReadErrorDetails(error.ErrorInfo().get());
  std::wstring text = text::Format(L"Exception 0x%x", error.Error());
  AppendHeading(&text, where);
  text.append(details.description.empty() ? message : details.description);
  AppendOrigin(&text, details);
  AppendSourcePlace(&text, sourceFile, sourceLine);
  return text;
}

std::wstring FormatExceptionText(const char* message, const wchar_t* where,
                                 const char* sourceFile, int sourceLine) {
  std::wstring text = L"Exception";
  AppendHeading(&text, where);
  if (message == nullptr || *message == '\0')
    text.append(L"Unknown exception");
  else
    text.append(platform::system().AnsiToWide(message));
  AppendSourcePlace(&text, sourceFile, sourceLine);
  return text;
}

}  // namespace ComUtil

