// The texts of caught errors, as they are written to the log.
#pragma once

#include <string>

#include "ComUtil/IssueError.h"
#include "platform/Types.h"

namespace ComUtil {

// The message text of an HRESULT: the system's text without its final line break; else
// "IDispatch error #%d" for 0x80040201..0x8004FFFF (numbered from 0x80040200); else
// "Unknown error 0x%0lX".
std::wstring ComErrorMessage(platform::HResult hr);

// "Exception 0x<hr in lower-case hex>[ in <where>]: <description or message>", then
// " (Source: <name>; Interface: <name>)" as far as the error information gives them, then
// " [file(line)]" when `sourceFile` is not null. The source and interface are named by
// their registered names under HKEY_CLASSES_ROOT when there are such names. `where` may be
// null.
std::wstring FormatComErrorText(const _com_error& error, const wchar_t* where,
                                const char* sourceFile, int sourceLine);

// "Exception[ in <where>]: <message>[ [file(line)]]", the narrow message converted with the
// ANSI code page; a null or empty message gives "Unknown exception".
std::wstring FormatExceptionText(const char* message, const wchar_t* where,
                                 const char* sourceFile, int sourceLine);

// The message used for an exception that is neither a _com_error nor a standard exception.
extern const char kStructuredExceptionText[];  // "Structured Exception"

}  // namespace ComUtil
