if(WIN32)
  # Synthetic input comes from the platform tests' other client, which joins the folder's helpers.
  if(target MATCHES "_test_support$")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/platform/Win32Backend.cpp)
  endif()
  target_link_libraries(${target} PRIVATE OpenGL::GL)
else()
  target_link_libraries(${target} PRIVATE X11::X11 X11::Xtst OpenGL::GL)
endif()
