# The Linux backend's own machinery: X11, XTest and GLX directly, and the window-test helpers of the
# contract tests.
target_link_libraries(${target} PRIVATE X11::X11 X11::Xtst GLEW::GLEW OpenGL::GL korvane_platform_test_support)
