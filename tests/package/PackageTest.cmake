# The installed package, tried as a user would: install into a fresh prefix, build a small outside
# project against it with find_package(Korvane) and run it (it opens a window, so it takes the display).
list(JOIN KORVANE_SANITIZE_FLAGS " " korvane_package_flags)
add_test(NAME package.InstalledFrameworkBuildsAndRunsAnOutsideProject
  COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR} -DCONFIG=$<CONFIG>
    -DSOURCE=${CMAKE_CURRENT_LIST_DIR}/consumer -DWORK=${PROJECT_BINARY_DIR}/package-test
    -DGENERATOR=${CMAKE_GENERATOR} -DCXX=${CMAKE_CXX_COMPILER} -DLAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
    -DFLAGS=${korvane_package_flags} "-DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}" "-DDEPS=${KORVANE_WINDOWS_DEPS}"
    "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -P ${CMAKE_CURRENT_LIST_DIR}/RunPackageTest.cmake)
set_tests_properties(package.InstalledFrameworkBuildsAndRunsAnOutsideProject PROPERTIES
  ENVIRONMENT "MESA_SHADER_CACHE_DISABLE=true" RESOURCE_LOCK display TIMEOUT 600)
