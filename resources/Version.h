// The executable's version, written into its version block.
#pragma once

#define TAMBER4_VERSION_MAJOR 4
#define TAMBER4_VERSION_MINOR 0
#define TAMBER4_VERSION_BUILD 0
#define TAMBER4_VERSION_REVISION 0
#define TAMBER4_VERSION_TEXT "4.0.0.0"
