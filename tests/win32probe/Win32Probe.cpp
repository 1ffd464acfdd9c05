// Win32Probe: installs the Windows machine and exercises every service wrapper against the
// real system. Exit code 0 only when every check passes.
#include <windows.h>

#include <cstdio>
#include <cwctype>

#include "Probe.h"
#include "platform/win32/Win32Machine.h"

namespace probe {
namespace {
int g_failures = 0;
}

bool Check(const std::string& name, bool passed, const std::wstring& detail) {
  if (!passed) ++g_failures;
  std::printf("%s %s", passed ? "PASS" : "FAIL", name.c_str());
  if (!detail.empty()) std::printf(" [%s]", Utf8(detail).c_str());
  std::printf("\n");
  std::fflush(stdout);
  return passed;
}

void Skip(const std::string& name, const std::string& reason) {
  std::printf("SKIP %s: %s\n", name.c_str(), reason.c_str());
  std::fflush(stdout);
}

int Failures() { return g_failures; }

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::wstring Hex(std::uint32_t value) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"0x%lX", static_cast<unsigned long>(value));
  return buffer;
}

std::vector<std::uint8_t> Utf16Bytes(const std::wstring& text) {
  std::vector<std::uint8_t> bytes;
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& tail) {
  if (tail.size() > text.size()) return false;
  const std::size_t start = text.size() - tail.size();
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (std::towlower(text[start + i]) != std::towlower(tail[i])) return false;
  return true;
}

}  // namespace probe

int main() {
  const platform::ScopedMachine machine(platform::win32::WindowsMachine());
  probe::ProbeCurrentProcess();
  probe::ProbeSystemInfo();
  probe::ProbeRegistry();
  probe::ProbeFiles();
  probe::ProbeKernelObjects();
  probe::ProbeShell();
  probe::ProbeResources();
  probe::ProbeCom();
  probe::ProbeUserInterface();
  probe::ProbeCoordination();
  std::printf("%d check(s) failed\n", probe::Failures());
  return probe::Failures() == 0 ? 0 : 1;
}
