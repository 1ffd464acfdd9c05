// Value types and Windows constants shared by the system interface and the portable logic.
// The constants carry Windows' own numeric values under names that do not clash with the
// macros of <windows.h>, so the win32 layer can pass them straight through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

using Win32Error = std::uint32_t;  // GetLastError / LSTATUS values
using HResult = std::int32_t;      // COM results; negative means failure
using LangId = std::uint16_t;      // LANGID

// Opaque kernel handle (file, mutex, process, event, mapping). 0 is "no handle".
using Handle = std::uintptr_t;
constexpr Handle kNoHandle = 0;

// The longest path the system's plain calls take, terminating null included (MAX_PATH).
constexpr std::size_t kMaxPath = 260;

// Module handle (HMODULE). 0 names the executable of the process.
using ModuleHandle = std::uintptr_t;

// Registry key handle (HKEY); the predefined roots have Windows' values.
using RegKey = std::uintptr_t;
constexpr RegKey kHkeyClassesRoot = 0x80000000u;
constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;
constexpr RegKey kHkeyUsers = 0x80000003u;
constexpr RegKey kHkeyCurrentConfig = 0x80000005u;

namespace err {
constexpr Win32Error Success = 0;
constexpr Win32Error FileNotFound = 2;
constexpr Win32Error PathNotFound = 3;
constexpr Win32Error AccessDenied = 5;
constexpr Win32Error InvalidHandle = 6;
constexpr Win32Error NotEnoughMemory = 8;
constexpr Win32Error NoMoreFiles = 18;
constexpr Win32Error SharingViolation = 32;
constexpr Win32Error FileExists = 80;
constexpr Win32Error InvalidParameter = 87;
constexpr Win32Error InsufficientBuffer = 122;
constexpr Win32Error AlreadyExists = 183;
constexpr Win32Error MoreData = 234;
constexpr Win32Error NoMoreItems = 259;
constexpr Win32Error WaitTimeout = 258;
constexpr Win32Error Cancelled = 1223;
}  // namespace err

namespace hr {
constexpr HResult Ok = 0;
constexpr HResult False = 1;
constexpr HResult Fail = static_cast<HResult>(0x80004005u);
constexpr HResult NoInterface = static_cast<HResult>(0x80004002u);
constexpr HResult NotImpl = static_cast<HResult>(0x80004001u);
constexpr HResult OutOfMemory = static_cast<HResult>(0x8007000Eu);
constexpr HResult InvalidArg = static_cast<HResult>(0x80070057u);
constexpr bool Failed(HResult h) { return h < 0; }
constexpr bool Succeeded(HResult h) { return h >= 0; }
// HRESULT_FROM_WIN32: positive codes gain the Win32 facility, others pass unchanged.
constexpr HResult FromWin32(Win32Error e) {
  return static_cast<std::int32_t>(e) <= 0 ? static_cast<HResult>(e)
                                           : static_cast<HResult>((e & 0xFFFFu) | 0x80070000u);
}
}  // namespace hr

// Registry value types and access rights.
namespace reg {
constexpr std::uint32_t None = 0;
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;
constexpr std::uint32_t MultiSz = 7;
constexpr std::uint32_t Qword = 11;
constexpr std::uint32_t QueryValue = 0x0001;
constexpr std::uint32_t SetValue = 0x0002;
constexpr std::uint32_t Read = 0x20019;
constexpr std::uint32_t Write = 0x20006;
constexpr std::uint32_t AllAccess = 0xF003F;
}  // namespace reg

// File access, sharing, dispositions and attributes (CreateFileW and friends).
namespace file {
constexpr std::uint32_t GenericRead = 0x80000000u;
constexpr std::uint32_t GenericWrite = 0x40000000u;
constexpr std::uint32_t ShareNone = 0;
constexpr std::uint32_t ShareRead = 1;
constexpr std::uint32_t ShareWrite = 2;
constexpr std::uint32_t ShareDelete = 4;
constexpr std::uint32_t CreateNew = 1;
constexpr std::uint32_t CreateAlways = 2;
constexpr std::uint32_t OpenExisting = 3;
constexpr std::uint32_t OpenAlways = 4;
constexpr std::uint32_t TruncateExisting = 5;
constexpr std::uint32_t AttributeReadOnly = 0x1;
constexpr std::uint32_t AttributeDirectory = 0x10;
constexpr std::uint32_t AttributeNormal = 0x80;
constexpr std::uint32_t InvalidAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t MoveReplaceExisting = 0x1;
constexpr std::uint32_t MoveWriteThrough = 0x8;
}  // namespace file

// WaitForSingleObject results and the infinite time-out.
namespace wait {
constexpr std::uint32_t Object0 = 0;
constexpr std::uint32_t Abandoned = 0x80;
constexpr std::uint32_t Timeout = 0x102;
constexpr std::uint32_t Failed = 0xFFFFFFFFu;
constexpr std::uint32_t Infinite = 0xFFFFFFFFu;
}  // namespace wait

// Language identifiers (LANGID) the system names, and the primary-language part of one.
namespace lang {
constexpr LangId English = 9;
constexpr LangId Spanish = 10;
constexpr LangId EnglishUs = 1033;
constexpr LangId SpanishSpain = 3082;
constexpr LangId UserDefault = 0x0400;
constexpr LangId PrimaryMask = 0x3FF;
}  // namespace lang

// SYSTEMTIME, in UTC where the interface says so.
struct SystemTime {
  std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
  std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

}  // namespace platform
