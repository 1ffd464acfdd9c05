// The smallest GUI program built as Tamber4Setup.exe is: the baseline the start-up benchmark
// compares an empty-script run of the bootstrapper with under Wine.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
