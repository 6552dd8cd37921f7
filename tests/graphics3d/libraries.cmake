target_link_libraries(${target} PRIVATE X11::X11 OpenGL::GLX OpenGL::GL)
