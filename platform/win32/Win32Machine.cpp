// The Windows services (filled in by the win32 implementation).
namespace platform::win32 {}
