# The end-to-end tests start the program in its run directory and read its window back; the scene tests draw
# into the GL test windows of the rendering layer's tests. Sources go into the program only, not into the
# folder's helper objects, which need the settings alone.
get_target_property(kind ${target} TYPE)
if(kind STREQUAL "EXECUTABLE")
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tools/skybox/SkyBox.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/graphics3d/GLTestWindow.cpp)
  add_dependencies(${target} korvane_run_directory korvane)
endif()
target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(${target} PRIVATE KORVANE_RUN_DIR="${KORVANE_RUN_DIR}"
  KORVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/demo/data")
target_link_libraries(${target} PRIVATE korvane_xwindows X11::X11 X11::Xtst OpenGL::GL)
