# The operating-system backend, chosen once with KORVANE_PLATFORM. Everything that differs between backends
# is named in the table below and nowhere else; the rest of the build reads the chosen row through the
# KORVANE_PLATFORM_<FIELD> variables.
#
# Fields of a row (korvane_platform_<backend>_<field>):
#   folders         subfolders of src/platform/ built into the platform layer
#   libraries       what the platform layer links publicly; private: privately
#   tests           paths under tests/ (folders, test files, helpers under support/) that belong to this
#                   backend: a path is built only with a backend that names it or, when no backend names
#                   the path itself, the nearest folder above it that some backend names
#   test_libraries  what the backend's test helpers (the other client that plays the user) link
#   tools           helper programs of tools/ built with this backend (see cmake/Demonstration.cmake)
#   pkgconfig       pairs of an outside target and its pkg-config module; an outside target without a
#                   module is written into the .pc files as the library file that was found
#   package         DEB (Debian packages, desktop entry, manual page) or NSIS (an installer)
#   package_depends what the development package needs of its users' systems (DEB)
#   gui_program     ON: the demonstration is a GUI-subsystem program with a version resource
#   test_definitions compile definitions of the platform contract tests (checks the backend defines
#                   differently)
#   languages       languages besides C++ that the backend's sources are written in
#   definitions     compile definitions of the platform layer (which backend the shared folders build for)
#   setup           a function called once the platform layer is declared, for what a list cannot say
#                   (code generated at build time)
# A new backend is one more name in korvane_platforms and one more row.

set(korvane_platforms x11 win32 wayland)

# X11 windows, GLX contexts on Mesa, POSIX files and processes (Linux). unix: the window system code the
# X11 and Wayland backends share.
set(korvane_platform_x11_folders posix unix x11)
set(korvane_platform_x11_libraries Threads::Threads)
set(korvane_platform_x11_private X11::X11 OpenGL::GLX)
set(korvane_platform_x11_tests
  # The backend's own machinery (X11 connection, thread queues, processes and mounts).
  platform-linux
  # The demonstration's tests; these drive the program end to end with synthetic X input and read it back
  # through X11.
  demo demo/ApplicationStormTest.cpp demo/FaultTest.cpp demo/InstalledTreeTest.cpp demo/ProgramTest.cpp
  demo/RunScriptTest.cpp support/demo/Program.cpp
  # POSIX and X11 behaviour: fork, mounts, /proc, file modes.
  io/StandardStreamsTest.cpp io/SystemFileTest.cpp io/SystemFileFactoryTest.cpp freetype/FontFactoryTest.cpp
  system/ThreadTest.cpp system/TimestampTest.cpp
  support/platform/X11Backend.cpp support/gui/X11Input.cpp support/gui/ProcEntries.cpp)
set(korvane_platform_x11_test_libraries X11::X11 X11::Xtst korvane_xwindows)
set(korvane_platform_x11_tools xwindow)
set(korvane_platform_x11_pkgconfig Freetype::Freetype freetype2 GLEW::GLEW glew OpenGL::GL gl OpenGL::GLX glx
  X11::X11 x11)
set(korvane_platform_x11_package DEB)
set(korvane_platform_x11_package_depends "libglew-dev, libfreetype-dev, libx11-dev, libgl-dev")
set(korvane_platform_x11_gui_program OFF)
set(korvane_platform_x11_test_definitions)
set(korvane_platform_x11_languages)
set(korvane_platform_x11_definitions KORVANE_BACKEND_X11)
set(korvane_platform_x11_setup)

# Win32 itself (user32, gdi32, kernel32, WGL), cross-built with mingw-w64 and tested under Wine.
set(korvane_platform_win32_folders win32)
set(korvane_platform_win32_libraries Threads::Threads OpenGL::GL)
set(korvane_platform_win32_private comctl32)
set(korvane_platform_win32_tests support/platform/Win32Backend.cpp support/gui/Win32Input.cpp)
set(korvane_platform_win32_test_libraries)
set(korvane_platform_win32_tools winedesktop screenreader)
set(korvane_platform_win32_pkgconfig)
set(korvane_platform_win32_package NSIS)
set(korvane_platform_win32_package_depends "")
set(korvane_platform_win32_gui_program ON)
set(korvane_platform_win32_test_definitions)
set(korvane_platform_win32_languages)
set(korvane_platform_win32_definitions)
set(korvane_platform_win32_setup)

# Wayland: wayland-client with xdg-shell windows, EGL on wayland-egl for desktop OpenGL, xkbcommon for keys,
# the POSIX parts for threads, files and time, and the window system code shared with X11 (unix). Its tests
# run on a headless Weston (scripts/test wayland).
set(korvane_platform_wayland_folders posix unix wayland)
set(korvane_platform_wayland_libraries Threads::Threads)
set(korvane_platform_wayland_private wayland-client wayland-egl xkbcommon EGL)
set(korvane_platform_wayland_tests
  # Synthetic input through the backend's emulated seat; the screen as the frames the windows presented.
  support/platform/WaylandBackend.cpp support/gui/WaylandInput.cpp support/gui/ProcEntries.cpp
  # The demonstration's scenes, views and pictures in windows of this process (not the X11 end-to-end
  # tests).
  demo
  # POSIX behaviour: fork, mounts, /proc, file modes.
  io/StandardStreamsTest.cpp io/SystemFileTest.cpp io/SystemFileFactoryTest.cpp freetype/FontFactoryTest.cpp
  system/ThreadTest.cpp system/TimestampTest.cpp)
set(korvane_platform_wayland_test_libraries)
set(korvane_platform_wayland_tools waylandscript)
set(korvane_platform_wayland_pkgconfig Freetype::Freetype freetype2 GLEW::GLEW glew OpenGL::GL gl)
set(korvane_platform_wayland_package DEB)
set(korvane_platform_wayland_package_depends
  "libglew-dev, libfreetype-dev, libwayland-dev, libxkbcommon-dev, libegl-dev, libgl-dev")
set(korvane_platform_wayland_gui_program OFF)
set(korvane_platform_wayland_test_definitions KORVANE_PLATFORM_WAYLAND)
set(korvane_platform_wayland_languages C)
set(korvane_platform_wayland_definitions KORVANE_BACKEND_WAYLAND)
set(korvane_platform_wayland_setup korvane_wayland_protocols)

# The client code of the xdg-shell protocol (C), generated with wayland-scanner into the platform layer.
function(korvane_wayland_protocols)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(korvane_wayland REQUIRED wayland-client wayland-egl xkbcommon egl)
  pkg_get_variable(protocols wayland-protocols pkgdatadir)
  pkg_get_variable(scanner wayland-scanner wayland_scanner)
  if(NOT protocols OR NOT scanner)
    message(FATAL_ERROR "The Wayland backend needs wayland-protocols and wayland-scanner (libwayland-dev)")
  endif()
  set(protocol ${protocols}/stable/xdg-shell/xdg-shell.xml)
  set(generated ${PROJECT_BINARY_DIR}/generated/wayland)
  file(MAKE_DIRECTORY ${generated})
  add_custom_command(OUTPUT ${generated}/xdg-shell-client-protocol.h
    COMMAND ${scanner} client-header ${protocol} ${generated}/xdg-shell-client-protocol.h
    DEPENDS ${protocol} VERBATIM)
  add_custom_command(OUTPUT ${generated}/xdg-shell-protocol.c
    COMMAND ${scanner} private-code ${protocol} ${generated}/xdg-shell-protocol.c
    DEPENDS ${protocol} VERBATIM)
  target_sources(korvane_platform PRIVATE ${generated}/xdg-shell-client-protocol.h ${generated}/xdg-shell-protocol.c)
  target_include_directories(korvane_platform PRIVATE ${generated})
endfunction()

if(WIN32)
  set(korvane_default_platform win32)
else()
  set(korvane_default_platform x11)
endif()
set(KORVANE_PLATFORM ${korvane_default_platform} CACHE STRING "The operating-system backend: ${korvane_platforms}")
set_property(CACHE KORVANE_PLATFORM PROPERTY STRINGS ${korvane_platforms})
if(NOT KORVANE_PLATFORM IN_LIST korvane_platforms)
  list(JOIN korvane_platforms ", " choices)
  message(FATAL_ERROR "KORVANE_PLATFORM is '${KORVANE_PLATFORM}': choose one of ${choices}")
endif()

foreach(field folders libraries private tests test_libraries tools pkgconfig package package_depends gui_program
    test_definitions languages definitions setup)
  string(TOUPPER ${field} name)
  set(KORVANE_PLATFORM_${name} ${korvane_platform_${KORVANE_PLATFORM}_${field}})
endforeach()
# Every path of tests/ that belongs to some backend, and whether the chosen one has it.
set(KORVANE_BACKEND_TESTS)
foreach(platform IN LISTS korvane_platforms)
  list(APPEND KORVANE_BACKEND_TESTS ${korvane_platform_${platform}_tests})
endforeach()
message(STATUS "Korvane platform backend: ${KORVANE_PLATFORM}")
foreach(language IN LISTS KORVANE_PLATFORM_LANGUAGES)
  enable_language(${language})
endforeach()
if(KORVANE_PLATFORM_GUI_PROGRAM)
  # The version resource of korvane_gui_program().
  enable_language(RC)
endif()

# korvane_platform_has_tests(<path under tests/> <out_var>): the nearest of the path and the folders above it
# that some backend names decides: TRUE when the chosen backend names it, FALSE when only others do; TRUE
# when no backend names any of them.
function(korvane_platform_has_tests path out_var)
  set(current ${path})
  while(current)
    if(current IN_LIST KORVANE_PLATFORM_TESTS)
      set(${out_var} TRUE PARENT_SCOPE)
      return()
    endif()
    if(current IN_LIST KORVANE_BACKEND_TESTS)
      set(${out_var} FALSE PARENT_SCOPE)
      return()
    endif()
    get_filename_component(current ${current} DIRECTORY)
  endwhile()
  set(${out_var} TRUE PARENT_SCOPE)
endfunction()

# korvane_platform_setup(): what the chosen backend does once the platform layer is declared.
function(korvane_platform_setup)
  target_compile_definitions(korvane_platform PRIVATE ${KORVANE_PLATFORM_DEFINITIONS})
  if(KORVANE_PLATFORM_SETUP)
    cmake_language(CALL ${KORVANE_PLATFORM_SETUP})
  endif()
endfunction()

# korvane_gui_program(<target> <resource template>): makes the program a GUI program of the backend
# (on Windows: the Windows subsystem, no console window, and a version resource with its icon).
function(korvane_gui_program target resource)
  if(NOT KORVANE_PLATFORM_GUI_PROGRAM)
    return()
  endif()
  get_filename_component(name ${resource} NAME_WLE)
  configure_file(${resource} ${PROJECT_BINARY_DIR}/packaging/${name} @ONLY)
  target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/packaging/${name})
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()
