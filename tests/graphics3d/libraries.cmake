target_link_libraries(${target} PRIVATE OpenGL::GL)
