# Host build: the logic against the simulated machine, unit tests, tamber4sim, benchmarks,
# and the end-to-end tests that drive the Windows build under Wine.
file(GLOB TAMBER4_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/sim/*.cpp)
add_library(tamber4sim_machine STATIC ${TAMBER4_SIM_SOURCES})
target_link_libraries(tamber4sim_machine PUBLIC tamber4core tamber4_message_table)
target_compile_options(tamber4sim_machine PRIVATE -Wall -Wextra)

# The tool's parts are a library of their own, so that the unit tests reach them too.
file(GLOB TAMBER4SIM_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/tamber4sim/*.cpp)
list(REMOVE_ITEM TAMBER4SIM_TOOL_SOURCES ${CMAKE_SOURCE_DIR}/tools/tamber4sim/main.cpp)
add_library(tamber4sim_tool STATIC ${TAMBER4SIM_TOOL_SOURCES})
target_link_libraries(tamber4sim_tool PUBLIC tamber4sim_machine)
target_compile_options(tamber4sim_tool PRIVATE -Wall -Wextra)
add_executable(tamber4sim ${CMAKE_SOURCE_DIR}/tools/tamber4sim/main.cpp)
target_link_libraries(tamber4sim PRIVATE tamber4sim_tool)
target_compile_options(tamber4sim PRIVATE -Wall -Wextra)

enable_testing()
add_subdirectory(tests/unit)
add_subdirectory(tests/e2e)
add_subdirectory(tests/tool)
add_subdirectory(tests/size)
if(TAMBER4_FUZZ)
  add_subdirectory(fuzz)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()

# The simulated installer reads real .msi packages through libmsi (host only: the Windows
# build uses the system's own Windows Installer).
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBMSI REQUIRED IMPORTED_TARGET libmsi-1.0)
target_link_libraries(tamber4sim_machine PUBLIC PkgConfig::LIBMSI)

# The simulated transfer service fetches http:// and https:// addresses through libcurl
# (host only: the Windows build uses the system's BITS).
pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(tamber4sim_machine PUBLIC PkgConfig::LIBCURL)
