target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tools/skybox/SkyBox.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/graphics3d/GLTestWindow.cpp)
target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(${target} PRIVATE KORVANE_RUN_DIR="${KORVANE_RUN_DIR}")
target_link_libraries(${target} PRIVATE korvane_xwindows X11::X11 X11::Xtst OpenGL::GL)
add_dependencies(${target} korvane_run_directory korvane)
