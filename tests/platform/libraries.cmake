# The contract tests call only the platform layer and GL; the helpers that play the user through the
# display server (support/platform/) link X11 and XTest themselves (on Windows, user32 and gdi32 suffice).
if(target STREQUAL "korvane_platform_test_support")
  if(KORVANE_PLATFORM STREQUAL "wayland")
    target_link_libraries(${target} PRIVATE korvane_platform)
  elseif(NOT WIN32)
    target_link_libraries(${target} PRIVATE X11::X11 X11::Xtst)
  endif()
else()
  target_link_libraries(${target} PRIVATE GLEW::GLEW OpenGL::GL)
endif()
if(KORVANE_PLATFORM STREQUAL "wayland")
  # The few checks whose outcome the contract defines differently under Wayland.
  target_compile_definitions(${target} PRIVATE KORVANE_PLATFORM_WAYLAND)
endif()
