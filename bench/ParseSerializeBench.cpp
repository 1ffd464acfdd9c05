// Time to parse and serialize generated script lines, as the interpreter does for every line
// of a run. Prints one figure per size; asserts nothing.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "setup/engine/CommandParameters.h"

namespace {

// A line shaped like the system's own: a command, three to six parameters, paths with
// special-folder tokens, escapes, and some non-ASCII text.
std::wstring GenerateLine(std::mt19937& random) {
  static const wchar_t* commands[] = {L"download", L"install", L"execute", L"write-registry-string",
                                      L"if-registry-check", L"alert"};
  static const wchar_t* names[] = {L"uri", L"file-path", L"name", L"registry-path",
                                   L"registry-value-name", L"message", L"result", L"msi-result"};
  static const wchar_t* values[] = {L"files/a.msi", L"%LocalAppDataFolder%\\Tamber4\\a.msi",
                                    L"Paquete de instalaci\u00F3n", L"Software\\Tamber4%7CSample",
                                    L"a%3Db%0D%0Ac", L"success", L"1603", L"50%25 \u20AC"};
  std::uniform_int_distribution<int> pick(0, 5), count(3, 6), pickName(0, 7);
  std::wstring line = commands[pick(random)];
  for (int i = count(random); i > 0; --i) {
    line.append(L"|").append(names[pickName(random)]).append(L"=").append(values[pickName(random)]);
  }
  return line;
}

void Measure(std::size_t lineCount) {
  std::mt19937 random(1234);
  std::vector<std::wstring> lines;
  lines.reserve(lineCount);
  std::size_t characters = 0;
  for (std::size_t i = 0; i < lineCount; ++i) {
    lines.push_back(GenerateLine(random));
    characters += lines.back().size();
  }

  auto start = std::chrono::steady_clock::now();
  setup::CommandParameters record;
  std::size_t written = 0;
  for (std::wstring& line : lines) {
    record.Parse(line);
    record.SetParameter(L"result", L"success");
    line = record.Serialize();
    written += line.size();
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%7zu lines (%9zu chars in, %9zu out): %8.2f ms, %6.0f ns per line\n", lineCount,
              characters, written, seconds * 1e3, seconds * 1e9 / static_cast<double>(lineCount));
}

}  // namespace

int main() {
  std::printf("parse + set result + serialize\n");
  Measure(10000);
  Measure(100000);
  return 0;
}
