# The overlay tests draw into the GL test windows of the rendering layer's tests, and into real windows
# driven by synthetic input as the window tests do.
target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/graphics3d/GLTestWindow.cpp
                                 ${PROJECT_SOURCE_DIR}/tests/support/gui/GuiTesting.cpp)
if(WIN32)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/gui/Win32Input.cpp
                                   ${PROJECT_SOURCE_DIR}/tests/support/platform/Win32Backend.cpp)
  target_link_libraries(${target} PRIVATE OpenGL::GL)
elseif(KORVANE_PLATFORM STREQUAL "wayland")
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/gui/WaylandInput.cpp)
  target_link_libraries(${target} PRIVATE OpenGL::GL)
else()
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/gui/X11Input.cpp)
  target_link_libraries(${target} PRIVATE X11::X11 X11::Xtst OpenGL::GL)
endif()
# Mouse input the overlay leaves goes to a real mouse dispatcher.
target_link_libraries(${target} PRIVATE korvane_input)
