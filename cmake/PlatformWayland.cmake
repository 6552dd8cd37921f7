# The Wayland backend (KORVANE_PLATFORM=wayland): wayland-client with xdg-shell for windows, EGL on
# wayland-egl for desktop OpenGL, xkbcommon for keys, and the POSIX parts for threads, files and time.
find_package(PkgConfig REQUIRED)
# Their headers sit in the system's include folder; the libraries are linked by name, which the installed
# package and its pkg-config files carry as they are.
pkg_check_modules(Wayland REQUIRED wayland-client wayland-egl xkbcommon egl)
pkg_get_variable(KORVANE_WAYLAND_PROTOCOLS wayland-protocols pkgdatadir)
pkg_get_variable(KORVANE_WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT KORVANE_WAYLAND_PROTOCOLS OR NOT KORVANE_WAYLAND_SCANNER)
  message(FATAL_ERROR "The Wayland backend needs wayland-protocols and wayland-scanner (libwayland-dev)")
endif()

korvane_module(platform BACKEND posix wayland DEPS Threads::Threads PRIVATE wayland-client wayland-egl xkbcommon EGL)

# The xdg-shell protocol's client code, generated at build time.
enable_language(C)
set(protocol ${KORVANE_WAYLAND_PROTOCOLS}/stable/xdg-shell/xdg-shell.xml)
set(generated ${PROJECT_BINARY_DIR}/generated/wayland)
file(MAKE_DIRECTORY ${generated})
add_custom_command(OUTPUT ${generated}/xdg-shell-client-protocol.h
  COMMAND ${KORVANE_WAYLAND_SCANNER} client-header ${protocol} ${generated}/xdg-shell-client-protocol.h
  DEPENDS ${protocol} VERBATIM)
add_custom_command(OUTPUT ${generated}/xdg-shell-protocol.c
  COMMAND ${KORVANE_WAYLAND_SCANNER} private-code ${protocol} ${generated}/xdg-shell-protocol.c
  DEPENDS ${protocol} VERBATIM)
target_sources(korvane_platform PRIVATE ${generated}/xdg-shell-client-protocol.h ${generated}/xdg-shell-protocol.c)
target_include_directories(korvane_platform PRIVATE ${generated})

# Tests: the helpers named after Wayland (synthetic input through the backend's emulated seat, the screen
# as the frames the windows presented) replace those named after X11. The demo suite's helpers still
# build against X11 for the tests that start the program; those do not run here.
set(KORVANE_TEST_HELPERS_EXCLUDE "/(X11|Win32)[^/]*\\.cpp$")
find_package(X11 REQUIRED)
# Tests that start the program and drive or read its window through X11 (scripts/test wayland runs the
# program under Wayland instead), or test the X11 backend itself.
set(KORVANE_POSIX_ONLY_TESTS platform-linux/X11ErrorTest.cpp demo/ProgramTest.cpp demo/FaultTest.cpp
  demo/ApplicationStormTest.cpp demo/InstalledTreeTest.cpp demo/RunScriptTest.cpp demo/StormTest.cpp)
