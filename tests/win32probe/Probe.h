// The probe's report and its groups of checks. Each group exercises one Windows service
// through the installed machine and reports one line per check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace probe {

// Prints "PASS name" or "FAIL name", with the detail in brackets when there is one, and
// counts the failures. Returns `passed`.
bool Check(const std::string& name, bool passed, const std::wstring& detail = std::wstring());
// Prints "SKIP name: reason" for a check this environment cannot make.
void Skip(const std::string& name, const std::string& reason);
int Failures();

// Text helpers for details and expected values.
std::string Utf8(const std::wstring& text);
std::wstring Hex(std::uint32_t value);
// A string as the registry stores it: UTF-16LE code units and a terminating zero.
std::vector<std::uint8_t> Utf16Bytes(const std::wstring& text);
// True when `text` ends with `tail`, ignoring ASCII case.
bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& tail);

void ProbeRegistry();
void ProbeFiles();
void ProbeKernelObjects();
void ProbeCurrentProcess();
void ProbeSystemInfo();
void ProbeShell();
void ProbeResources();
void ProbeCom();
void ProbeUserInterface();
void ProbeCoordination();

}  // namespace probe
