# The overlay tests draw into the GL test windows of the rendering layer's tests.
target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/graphics3d/GLTestWindow.cpp)
target_link_libraries(${target} PRIVATE OpenGL::GL)
