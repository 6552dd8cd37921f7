target_link_libraries(${target} PRIVATE X11::X11 X11::Xtst OpenGL::GL)
