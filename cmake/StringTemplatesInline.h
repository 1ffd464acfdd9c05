// Forced into every source of the Windows programs (-include).
//
// libstdc++ declares its std::string and std::wstring instantiations `extern template`, so our
// code calls the copies in the static library; the linker then takes each class's whole object
// file, every member of it (about 22 KB a class). With the declarations off for basic_string,
// our sources instantiate the members they use, and the link-time optimizer keeps only those.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
// -1: no extern template declarations for basic_string; the others stay.
#define _GLIBCXX_EXTERN_TEMPLATE -1
