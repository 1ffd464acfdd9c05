# Windows build: Tamber4Setup.exe, a static GUI program importing only system DLLs,
# and the small helper programs the end-to-end tests run beside it.
file(GLOB TAMBER4_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(tamber4win32 STATIC ${TAMBER4_WIN32_SOURCES})
target_link_libraries(tamber4win32 PUBLIC tamber4core)
target_compile_definitions(tamber4win32 PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)

set(TAMBER4_SYSTEM_LIBS advapi32 shell32 version comctl32 user32 gdi32 ole32 oleaut32 uuid)
set(TAMBER4_STATIC_LINK -static -static-libgcc -static-libstdc++ -municode -mwindows)

add_executable(Tamber4Setup WIN32 ${CMAKE_SOURCE_DIR}/platform/win32/entry/wWinMain.cpp)
target_compile_definitions(Tamber4Setup PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(Tamber4Setup PRIVATE tamber4win32 tamber4core tamber4_resources ${TAMBER4_SYSTEM_LIBS})
target_link_options(Tamber4Setup PRIVATE ${TAMBER4_STATIC_LINK})

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/helpers/CMakeLists.txt)
  add_subdirectory(tests/e2e/helpers)
endif()
