#include "setup/engine/ScriptFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "setup/engine/CommandTable.h"
#include "text/Utf.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "ScriptFile";
constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr platform::Win32Error kWriteFault = 29;  // ERROR_WRITE_FAULT
constexpr platform::Win32Error kHandleEof = 38;   // ERROR_HANDLE_EOF
// Reads and writes go in pieces no larger than this, as the file API counts in 32 bits.
constexpr std::uint32_t kMaxTransfer = 1u << 30;
// A script larger than this cannot be held as text where addresses are 32 bits wide.
constexpr std::uint64_t kMaxScriptBytes = std::numeric_limits<std::size_t>::max() / 4;

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

// Cuts the code units from `pos` to `count`, each read as `unit(i)`, into lines appended to
// `lines`: CR and LF end a line, and no line is empty. One cut for wide text and for file
// bytes alike.
template <typename Unit>
void AppendCutLines(std::vector<std::wstring>& lines, std::size_t pos, std::size_t count, Unit unit) {
  for (;;) {
    while (pos < count && IsLineBreak(unit(pos))) ++pos;
    if (pos == count) return;
    std::size_t end = pos;
    while (end < count && !IsLineBreak(unit(end))) ++end;
    std::wstring& line = lines.emplace_back(end - pos, L'\0');
    for (std::size_t i = pos; i < end; ++i) line[i - pos] = unit(i);
    pos = end;
  }
}

// Reads `size` bytes from the start of `file`. False when the read fails (last error set by
// the failing call) or the file ends early (last error ERROR_HANDLE_EOF).
bool ReadWhole(platform::Handle file, std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    auto want = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - done, kMaxTransfer));
    std::uint32_t got = 0;
    if (!platform::files().Read(file, bytes.data() + done, want, &got)) return false;
    if (got == 0) {
      platform::process().SetLastError(kHandleEof);
      return false;
    }
    done += got;
  }
  return true;
}

// The bytes of the command file: byte-order mark, then every line and CR LF.
// Built straight as UTF-16LE bytes, sized once: no whole-script wide text on the way.
std::string CommandFileBytes(const Script& script) {
  std::size_t units = 1;
  for (const std::wstring& line : script.lines) units += line.size() + 2;
  std::string bytes;
  bytes.reserve(units * 2);
  text::AppendUtf16Le(bytes, std::wstring_view(&kByteOrderMark, 1));
  for (const std::wstring& line : script.lines) AppendUtf16LeLine(bytes, line);
  return bytes;
}

// Creates `path` afresh and writes `bytes` into it, flushed to disk. False with the last
// error of the failing call.
bool WriteFlushedFile(const std::wstring& path, const std::string& bytes) {
  platform::ScopedHandle file(platform::files().Create(path, platform::file::GenericWrite,
                                           platform::file::ShareNone,
                                           platform::file::CreateAlways,
                                           platform::file::AttributeNormal));
  return file.Valid() && WriteWhole(file.Get(), bytes) && platform::files().Flush(file.Get());
}

// Deletes `path` without disturbing the last error the caller is about to report.
void DeleteKeepingLastError(const std::wstring& path) {
  platform::Win32Error error = platform::process().LastError();
  platform::files().Delete(path);
  platform::process().SetLastError(error);
}

// No other encoding is recognised: a script saved as anything but UTF-16LE is read as
// UTF-16LE all the same, and the log says why its lines make no sense.
void WarnOfOtherEncodings(const std::string& bytes) {
  if (!StartsAsUtf16Le(bytes))
    TAMBER_LOG(Warning, L"Run",
               L"The script does not start as UTF-16LE text; it is read as UTF-16LE all the same.");
  if (bytes.size() % 2 != 0)
    TAMBER_LOG(Warning, L"Run", L"The script ends in half a character; its last byte is ignored.");
}

}  // namespace

void AppendUtf16LeLine(std::string& bytes, std::wstring_view line) {
  text::AppendUtf16Le(bytes, line);
  bytes.append("\r\0\n\0", 4);
}

bool StartsAsUtf16Le(std::string_view bytes) {
  if (bytes.size() < 2) return true;
  return (bytes[0] == '\xFF' && bytes[1] == '\xFE') || bytes[1] == '\0';
}

bool WriteWhole(platform::Handle file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    auto want = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - done, kMaxTransfer));
    std::uint32_t written = 0;
    if (!platform::files().Write(file, bytes.data() + done, want, &written)) return false;
    if (written == 0) {
      platform::process().SetLastError(kWriteFault);
      return false;
    }
    done += written;
  }
  return true;
}

std::wstring ScriptPrefix(const std::wstring& rootUri) {
  return rootUri.empty() ? std::wstring() : ProgramCommands().NameWith(kRecordsRootUri) + L"\r\n";
}

namespace {

// The bytes of the script file at `path`, as ReadScriptFile reads them.
std::optional<std::string> ReadScriptBytes(const std::wstring& path) {
  platform::ScopedHandle file(platform::files().Create(path, platform::file::GenericRead,
                                           platform::file::ShareNone,
                                           platform::file::OpenExisting,
                                           platform::file::AttributeNormal));
  if (!file.Valid()) {
    TAMBER_LOG(Error, L"Run", L"File not found, aborting.");
    return std::nullopt;
  }
  std::uint64_t size = 0;
  TAMBER_THROW_LAST_ERROR_IF_FALSE(platform::files().Size(file.Get(), &size));
  TAMBER_LOG(Debug, L"Run", L"File size is %d.", size);
  if (size > kMaxScriptBytes) platform::process().SetLastError(platform::err::NotEnoughMemory);
  TAMBER_THROW_LAST_ERROR_IF_FALSE(size <= kMaxScriptBytes);

  std::string bytes(static_cast<std::size_t>(size), '\0');
  TAMBER_THROW_LAST_ERROR_IF_FALSE(ReadWhole(file.Get(), bytes));
  WarnOfOtherEncodings(bytes);
  return bytes;
}

}  // namespace

std::optional<std::wstring> ReadScriptFile(const std::wstring& path, const std::wstring& prefix) {
  const std::optional<std::string> bytes = ReadScriptBytes(path);
  if (!bytes) return std::nullopt;
  std::wstring units = text::Utf16LeToWide(*bytes);
  const std::size_t start = !units.empty() && units[0] == kByteOrderMark ? 1 : 0;
  // In place: the script may be large, and most have no prefix.
  units.replace(0, start, prefix);
  return units;
}

std::optional<std::vector<std::wstring>> ReadScriptLines(const std::wstring& path,
                                                         const std::wstring& prefix) {
  const std::optional<std::string> bytes = ReadScriptBytes(path);
  if (!bytes) return std::nullopt;
  std::vector<std::wstring> lines = SplitScriptLines(prefix);
  AppendUtf16LeLines(lines, *bytes);
  return lines;
}

void AppendUtf16LeLines(std::vector<std::wstring>& lines, std::string_view bytes) {
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&bytes](std::size_t i) {
    return static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  AppendCutLines(lines, units > 0 && unit(0) == kByteOrderMark ? 1 : 0, units, unit);
}

std::vector<std::wstring> SplitScriptLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  AppendCutLines(lines, 0, text.size(), [text](std::size_t i) { return text[i]; });
  return lines;
}

void SaveCommands(const Script& script, const std::wstring& path) {
  TAMBER_LOG(Info, L"SaveCommands", L"Writing command file back to '%s'.", path);
  const std::wstring temporary = path + L".tmp";
  bool saved = WriteFlushedFile(temporary, CommandFileBytes(script)) &&
               platform::files().Move(temporary, path,
                                      platform::file::MoveReplaceExisting |
                                          platform::file::MoveWriteThrough);
  if (!saved) DeleteKeepingLastError(temporary);
  TAMBER_THROW_LAST_ERROR_IF_FALSE(saved);
}

}  // namespace setup
