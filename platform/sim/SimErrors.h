// Windows error codes the simulated machine reports beyond those in platform/Types.h.
#pragma once

#include "platform/Types.h"

namespace platform::sim::simerr {

constexpr Win32Error NotSameDevice = 17;
constexpr Win32Error BadNetPath = 53;
constexpr Win32Error DiskFull = 112;
constexpr Win32Error InvalidName = 123;
constexpr Win32Error ModNotFound = 126;
constexpr Win32Error BadPathname = 161;
constexpr Win32Error FilenameExcedRange = 206;
constexpr Win32Error NotOwner = 288;
constexpr Win32Error MrMidNotFound = 317;
constexpr Win32Error PossibleDeadlock = 1131;
constexpr Win32Error ResourceDataNotFound = 1812;
constexpr Win32Error ResourceNameNotFound = 1814;
constexpr Win32Error ResourceLangNotFound = 1815;

constexpr HResult ClassNotRegistered = static_cast<HResult>(0x80040154u);
constexpr HResult NotInitialized = static_cast<HResult>(0x800401F0u);

}  // namespace platform::sim::simerr
