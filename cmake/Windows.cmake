# Windows build: Tamber4Setup.exe, a static GUI program importing only DLLs that Windows
# ships, the probe of the Windows services, and the helper programs the end-to-end tests
# run beside it.

enable_language(RC)

# Every function and datum in its own section, so that the linker can drop what nothing uses.
set(TAMBER4_SIZE_COMPILE -ffunction-sections -fdata-sections)
# Outside Debug builds the program is optimized whole at link time: unused code across
# sources goes, and small functions are inlined where they are called. One partition, as
# GCC 12 crashes here on the default partitioning.
option(TAMBER4_LINK_TIME_OPTIMIZATION "Optimize the Windows programs whole at link time" ON)
set(TAMBER4_LTO "")
if(TAMBER4_LINK_TIME_OPTIMIZATION)
  set(TAMBER4_LTO "$<$<NOT:$<CONFIG:Debug>>:-flto;-flto-partition=one>")
endif()
list(APPEND TAMBER4_SIZE_COMPILE ${TAMBER4_LTO})
# Our sources instantiate the string members they use rather than linking libstdc++'s whole
# string classes (see the header).
list(APPEND TAMBER4_SIZE_COMPILE -include ${CMAKE_SOURCE_DIR}/cmake/StringTemplatesInline.h)
# No run-time type information: nothing asks a type at run time (no typeid, no dynamic_cast),
# and the exceptions' own type information is written all the same.
list(APPEND TAMBER4_SIZE_COMPILE -fno-rtti)
# GCC 12's -Oz: -Os that also picks the shorter instruction where it is slower (push/pop for a
# constant, no alignment). The bootstrapper waits on the system, not on its own code. Given at
# the link too, where the link-time optimizer writes the code.
set(TAMBER4_SMALLEST_CODE $<$<CONFIG:MinSizeRel>:-Oz>)
list(APPEND TAMBER4_SIZE_COMPILE ${TAMBER4_SMALLEST_CODE})
# No C++ runtime, libgcc or winpthread DLL: everything from the toolchain is linked in.
# Symbols are stripped except in Debug builds.
# The link-time optimizer writes our code as one section: with the sections flags here too, the
# size report could charge it function by function, but each function's 16-byte alignment
# would cost 7.5 KB.
set(TAMBER4_WINDOWS_LINK -static -static-libgcc -static-libstdc++ -Wl,--gc-sections
    $<$<NOT:$<CONFIG:Debug>>:-s> ${TAMBER4_LTO} ${TAMBER4_SMALLEST_CODE})
set(TAMBER4_WIN32_DEFINITIONS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
# Import libraries of system DLLs only (bits holds the BITS class and interface ids). Not
# ole32 and oleaut32: they are loaded at first use (platform/win32/OleFunctions.cpp).
set(TAMBER4_SYSTEM_LIBS advapi32 shell32 comctl32 user32 gdi32 uuid
    bits msi crypt32)

target_compile_options(tamber4core PRIVATE ${TAMBER4_SIZE_COMPILE})

file(GLOB TAMBER4_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(tamber4win32 STATIC ${TAMBER4_WIN32_SOURCES})
target_link_libraries(tamber4win32 PUBLIC tamber4core ${TAMBER4_SYSTEM_LIBS})
target_compile_definitions(tamber4win32 PRIVATE ${TAMBER4_WIN32_DEFINITIONS})
target_compile_options(tamber4win32 PRIVATE -Wall -Wextra ${TAMBER4_SIZE_COMPILE})

set(TAMBER4_ENTRY_SOURCES ${CMAKE_SOURCE_DIR}/platform/win32/entry/wWinMain.cpp
    ${CMAKE_SOURCE_DIR}/platform/win32/entry/TerminateHandler.cpp
    ${CMAKE_SOURCE_DIR}/platform/win32/entry/LibraryThrows.cpp)

add_executable(Tamber4Setup WIN32 ${TAMBER4_ENTRY_SOURCES})
target_compile_definitions(Tamber4Setup PRIVATE ${TAMBER4_WIN32_DEFINITIONS})
target_compile_options(Tamber4Setup PRIVATE -municode ${TAMBER4_SIZE_COMPILE})
target_link_libraries(Tamber4Setup PRIVATE tamber4win32 tamber4core tamber4_resources
                      ${TAMBER4_SYSTEM_LIBS})
target_link_options(Tamber4Setup PRIVATE ${TAMBER4_WINDOWS_LINK} -municode -mwindows
                    -Wl,-Map=$<TARGET_FILE_DIR:Tamber4Setup>/Tamber4Setup.map)

# The same program with string 131 on the end-to-end tests' loopback server.
add_executable(Tamber4SetupLoopback WIN32 ${TAMBER4_ENTRY_SOURCES})
target_compile_definitions(Tamber4SetupLoopback PRIVATE ${TAMBER4_WIN32_DEFINITIONS})
target_compile_options(Tamber4SetupLoopback PRIVATE -municode ${TAMBER4_SIZE_COMPILE})
target_link_libraries(Tamber4SetupLoopback PRIVATE tamber4win32 tamber4core
                      tamber4_resources_loopback ${TAMBER4_SYSTEM_LIBS})
target_link_options(Tamber4SetupLoopback PRIVATE ${TAMBER4_WINDOWS_LINK} -municode -mwindows)

add_subdirectory(tests/win32probe)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/helpers/CMakeLists.txt)
  add_subdirectory(tests/e2e/helpers)
endif()

add_subdirectory(bench/wine)
