#include "setup/engine/ScriptFile.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "setup/engine/CommandTable.h"
#include "text/Fingerprint.h"
#include "text/Utf.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "ScriptFile";
constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr platform::Win32Error kWriteFault = 29;  // ERROR_WRITE_FAULT
constexpr platform::Win32Error kHandleEof = 38;   // ERROR_HANDLE_EOF
// Reads and writes go in pieces no larger than this, as the file API counts in 32 bits.
constexpr std::uint32_t kMaxTransfer = 1u << 30;
// A script is read and written this much at a time, so that a large one is never held whole
// as bytes beside its text. Even: only a file's last piece can end in half a character.
constexpr std::size_t kPieceBytes = 64 * 1024;
// Room left in each line read for the "|result=success" a run adds, so that storing the line
// back does not take new memory.
constexpr std::size_t kResultRoom = 16;
// A script larger than this cannot be held as text where addresses are 32 bits wide.
constexpr std::uint64_t kMaxScriptBytes = std::numeric_limits<std::size_t>::max() / 4;

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

// Cuts `text` into lines appended to `lines`: CR and LF end a line, and no line is empty.
// When `open`, the last of `lines` was cut off by the end of the previous piece of text and
// goes on in this one. Returns whether the last line is still open at the end of `text`.
bool AppendCutLines(std::vector<std::wstring>& lines, std::wstring_view text, bool open) {
  std::size_t pos = 0;
  for (;;) {
    if (!open)
      while (pos < text.size() && IsLineBreak(text[pos])) ++pos;
    if (pos == text.size()) return open;
    std::size_t end = pos;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    const std::wstring_view line = text.substr(pos, end - pos);
    if (!open) lines.emplace_back().reserve(line.size() + kResultRoom);
    lines.back().append(line);
    open = end == text.size();
    pos = end;
  }
}

// Reads the next `bytes.size()` bytes of `file` into `bytes`. False when the read fails (last
// error set by the failing call) or the file ends early (last error ERROR_HANDLE_EOF).
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

// Writes the command file to `file`: byte-order mark, then every line and CR LF, encoded a
// piece at a time.
bool WriteCommandFile(platform::Handle file, const Script& script) {
  std::string piece;
  piece.reserve(kPieceBytes * 2);
  text::AppendUtf16Le(piece, std::wstring_view(&kByteOrderMark, 1));
  for (const std::wstring& line : script.lines) {
    AppendUtf16LeLine(piece, line);
    if (piece.size() < kPieceBytes) continue;
    if (!WriteWhole(file, piece)) return false;
    piece.clear();
  }
  return WriteWhole(file, piece);
}

// Creates `path` afresh, fills it through `write` and flushes it to disk. False with the last
// error of the failing call.
bool WriteFlushedFile(const std::wstring& path, const std::function<bool(platform::Handle)>& write) {
  platform::ScopedHandle file(platform::files().Create(path, platform::file::GenericWrite,
                                           platform::file::ShareNone,
                                           platform::file::CreateAlways,
                                           platform::file::AttributeNormal));
  return file.Valid() && write(file.Get()) && platform::files().Flush(file.Get());
}

// Deletes `path` without disturbing the last error the caller is about to report.
void DeleteKeepingLastError(const std::wstring& path) {
  platform::Win32Error error = platform::process().LastError();
  platform::files().Delete(path);
  platform::process().SetLastError(error);
}

// No other encoding is recognised: a script saved as anything but UTF-16LE is read as
// UTF-16LE all the same, and the log says why its lines make no sense.
// `start` is the file's first bytes (all of them, or at least two), `size` its size.
void WarnOfOtherEncodings(std::string_view start, std::uint64_t size) {
  if (!StartsAsUtf16Le(start))
    TAMBER_LOG(Warning, L"Run",
               L"The script does not start as UTF-16LE text; it is read as UTF-16LE all the same.");
  if (size % 2 != 0)
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

// Reads the script file at `path` a piece at a time and hands each to `take` as code units,
// a leading U+FEFF skipped, and, when `print` is not null, adds its bytes to `print`. False
// when the file cannot be opened (logged as an Error). Raises, after logging it, when the
// file is too large to hold or cannot be read whole.
bool ReadScriptPieces(const std::wstring& path, const std::function<void(std::wstring_view)>& take,
                      text::Fingerprint* print) {
  platform::ScopedHandle file(platform::files().Create(path, platform::file::GenericRead,
                                           platform::file::ShareNone,
                                           platform::file::OpenExisting,
                                           platform::file::AttributeNormal));
  if (!file.Valid()) {
    TAMBER_LOG(Error, L"Run", L"File not found, aborting.");
    return false;
  }
  std::uint64_t size = 0;
  TAMBER_THROW_LAST_ERROR_IF_FALSE(platform::files().Size(file.Get(), &size));
  TAMBER_LOG(Debug, L"Run", L"File size is %d.", size);
  if (size > kMaxScriptBytes) platform::process().SetLastError(platform::err::NotEnoughMemory);
  TAMBER_THROW_LAST_ERROR_IF_FALSE(size <= kMaxScriptBytes);
  std::string piece;
  std::wstring units;
  for (std::uint64_t done = 0; done < size; done += piece.size()) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, size - done)));
    TAMBER_THROW_LAST_ERROR_IF_FALSE(ReadWhole(file.Get(), piece));
    if (print != nullptr) print->Add(piece);
    text::Utf16LeToWide(piece, units);
    std::wstring_view text = units;
    if (done == 0) {
      WarnOfOtherEncodings(piece, size);
      if (!text.empty() && text[0] == kByteOrderMark) text.remove_prefix(1);
    }
    take(text);
  }
  return true;
}

}  // namespace

std::optional<std::wstring> ReadScriptFile(const std::wstring& path, const std::wstring& prefix) {
  std::wstring text = prefix;
  if (!ReadScriptPieces(path, [&text](std::wstring_view piece) { text.append(piece); }, nullptr))
    return std::nullopt;
  return text;
}

std::optional<std::vector<std::wstring>> ReadScriptLines(const std::wstring& path,
                                                         const std::wstring& prefix,
                                                         std::uint64_t* fingerprint) {
  std::vector<std::wstring> lines = SplitScriptLines(prefix);
  bool open = false;
  const auto cut = [&lines, &open](std::wstring_view piece) {
    open = AppendCutLines(lines, piece, open);
  };
  text::Fingerprint print;
  if (fingerprint != nullptr) print.Add(text::WideToUtf16Le(prefix));
  if (!ReadScriptPieces(path, cut, fingerprint != nullptr ? &print : nullptr)) return std::nullopt;
  if (fingerprint != nullptr) *fingerprint = print.value();
  return lines;
}

std::vector<std::wstring> SplitScriptLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  AppendCutLines(lines, text, false);
  return lines;
}

bool WriteFileAside(const std::wstring& path, const std::function<bool(platform::Handle)>& write) {
  const std::wstring temporary = path + L".tmp";
  const bool written = WriteFlushedFile(temporary, write) &&
                       platform::files().Move(temporary, path,
                                              platform::file::MoveReplaceExisting |
                                                  platform::file::MoveWriteThrough);
  if (!written) DeleteKeepingLastError(temporary);
  return written;
}

void SaveCommands(const Script& script, const std::wstring& path) {
  TAMBER_LOG(Info, L"SaveCommands", L"Writing command file back to '%s'.", path);
  const bool saved =
      WriteFileAside(path, [&script](platform::Handle file) { return WriteCommandFile(file, script); });
  TAMBER_THROW_LAST_ERROR_IF_FALSE(saved);
}

}  // namespace setup
