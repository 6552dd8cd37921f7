# The demonstration: its layer, the program `korvane`, the data generator and the run directory the program
# starts in (the program, data/ with the generated sky cube map and the shaders, and one TrueType font from a
# Debian font package; the program finds all of them in its working directory).

korvane_module(demo INTERNAL DEPS core platform system math graphics io application graphics3d gui freetype
  input input3d gui3d)
# The entry point is the program's, not the layer's.
get_target_property(demo_sources korvane_demo SOURCES)
list(REMOVE_ITEM demo_sources ${PROJECT_SOURCE_DIR}/src/demo/main.cpp)
set_property(TARGET korvane_demo PROPERTY SOURCES ${demo_sources})

set(KORVANE_RUN_DIR ${PROJECT_BINARY_DIR}/run)
add_executable(korvane src/demo/main.cpp)
target_link_libraries(korvane PRIVATE korvane_demo)
# On Windows a program of the Windows subsystem (no console window), with an icon and a version resource.
korvane_gui_program(korvane ${PROJECT_SOURCE_DIR}/packaging/korvane.rc.in)
set_target_properties(korvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORVANE_RUN_DIR})

add_executable(korvane_skybox tools/skybox/SkyBox.cpp tools/skybox/main.cpp)
target_include_directories(korvane_skybox PRIVATE ${PROJECT_SOURCE_DIR})
set(korvane_run_files ${KORVANE_RUN_DIR}/data/stpeters_cross.dds)
add_custom_command(OUTPUT ${KORVANE_RUN_DIR}/data/stpeters_cross.dds
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVANE_RUN_DIR}/data
  COMMAND korvane_skybox ${KORVANE_RUN_DIR}/data/stpeters_cross.dds
  DEPENDS korvane_skybox COMMENT "Generating the sky cube map" VERBATIM)
foreach(shader cubeshader.vp cubeshader.pp)
  add_custom_command(OUTPUT ${KORVANE_RUN_DIR}/data/${shader}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/data/${shader} ${KORVANE_RUN_DIR}/data/${shader}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/${shader} VERBATIM)
  list(APPEND korvane_run_files ${KORVANE_RUN_DIR}/data/${shader})
endforeach()
find_file(KORVANE_FONT NAMES DejaVuSansCondensed.ttf DejaVuSans.ttf
  PATHS /usr/share/fonts/truetype/dejavu NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH DOC "The TrueType font copied into the run directory")
if(KORVANE_FONT)
  get_filename_component(font_name ${KORVANE_FONT} NAME)
  add_custom_command(OUTPUT ${KORVANE_RUN_DIR}/${font_name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KORVANE_FONT} ${KORVANE_RUN_DIR}/${font_name}
    DEPENDS ${KORVANE_FONT} VERBATIM)
  list(APPEND korvane_run_files ${KORVANE_RUN_DIR}/${font_name})
else()
  message(WARNING "No DejaVu font found (Debian package fonts-dejavu-core): the demonstration will not start")
endif()
add_custom_target(korvane_run_directory ALL DEPENDS ${korvane_run_files})

# The backend's helper programs (cmake/Platform.cmake names which).
# xwindow: finds, reads back, drags in and closes a top-level window from scripts and end-to-end tests.
if("xwindow" IN_LIST KORVANE_PLATFORM_TOOLS)
  add_library(korvane_xwindows STATIC tools/xwindow/XWindows.cpp)
  target_include_directories(korvane_xwindows PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(korvane_xwindows PUBLIC X11::X11)
  add_executable(korvane_xwindow tools/xwindow/main.cpp)
  target_link_libraries(korvane_xwindow PRIVATE korvane_xwindows X11::Xtst)
endif()
# waylandscript: the demonstration built with a script that saves its window's picture and drags across it
# (tools/waylandscript/Script.cpp; Wayland lets nothing outside a client read or drive its windows).
if("waylandscript" IN_LIST KORVANE_PLATFORM_TOOLS)
  add_executable(korvane_wayland_script src/demo/main.cpp tools/waylandscript/Script.cpp)
  target_link_libraries(korvane_wayland_script PRIVATE korvane_demo)
endif()
# winedesktop: keeps the desktop of a Wine session open while scripts/test-windows runs the tests one by one.
if("winedesktop" IN_LIST KORVANE_PLATFORM_TOOLS)
  add_executable(korvane_wine_desktop tools/winedesktop/main.cpp)
endif()
# screenreader: reads screen pixels for the test programs from a process of its own.
if("screenreader" IN_LIST KORVANE_PLATFORM_TOOLS)
  add_executable(korvane_screen_reader tools/screenreader/main.cpp)
endif()

# The frame-time benchmark, built on request (cmake --build build --target korvane_frame_bench).
add_executable(korvane_frame_bench EXCLUDE_FROM_ALL bench/demo/FrameBench.cpp bench/demo/Baseline.cpp)
target_include_directories(korvane_frame_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(korvane_frame_bench PRIVATE korvane_demo)
target_compile_definitions(korvane_frame_bench PRIVATE KORVANE_RUN_DIR="${KORVANE_RUN_DIR}")
add_dependencies(korvane_frame_bench korvane_run_directory)

# The soak run: the demonstration's window for 10 000 frames with figures that must stay flat, built on
# request (cmake --build build --target korvane_soak; scripts/soak runs it on a virtual X server). It drives
# the window through X11 with the window tool, so it is built where that tool is.
if(TARGET korvane_xwindows)
  add_executable(korvane_soak EXCLUDE_FROM_ALL tests/reliability/Soak.cpp)
  target_link_libraries(korvane_soak PRIVATE korvane_demo korvane_xwindows X11::X11 X11::Xtst)
  target_include_directories(korvane_soak PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(korvane_soak PRIVATE KORVANE_RUN_DIR="${KORVANE_RUN_DIR}")
  add_dependencies(korvane_soak korvane_run_directory)
endif()

# The installed program (the `demo` component): bin/korvane and its data in share/korvane/data, where the
# program looks when its working directory has no data/ folder. The Debian package adds a desktop entry, an
# icon and a manual page, and takes the font from the system's DejaVu package; the Windows installer brings
# the font beside the data.
include(GNUInstallDirs)
install(TARGETS korvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT demo)
install(FILES ${KORVANE_RUN_DIR}/data/stpeters_cross.dds ${KORVANE_RUN_DIR}/data/cubeshader.vp
  ${KORVANE_RUN_DIR}/data/cubeshader.pp DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane/data COMPONENT demo)
if(KORVANE_PLATFORM_PACKAGE STREQUAL "NSIS")
  if(KORVANE_FONT)
    install(FILES ${KORVANE_FONT} DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane/data COMPONENT demo)
  endif()
elseif(KORVANE_PLATFORM_PACKAGE STREQUAL "DEB")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/korvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    COMPONENT demo)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/korvane.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps COMPONENT demo)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/korvane.1 ${PROJECT_BINARY_DIR}/packaging/korvane.1 @ONLY)
  find_program(KORVANE_GZIP gzip)
  if(KORVANE_GZIP)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/korvane.1.gz
      COMMAND ${KORVANE_GZIP} -9nf -k ${PROJECT_BINARY_DIR}/packaging/korvane.1
      DEPENDS ${PROJECT_BINARY_DIR}/packaging/korvane.1 VERBATIM)
    add_custom_target(korvane_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/korvane.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/korvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
      COMPONENT demo)
  endif()
endif()
