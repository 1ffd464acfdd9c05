// The handler std::terminate calls when an exception escapes or a noexcept function throws.
// libstdc++'s default one demangles the exception's type name and prints it to stderr: a GUI
// program has no stderr to print to, and the demangler it drags in is a fair part of the
// executable. Ending the process at once keeps the same outcome without either.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
