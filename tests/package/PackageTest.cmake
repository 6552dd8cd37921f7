# The installed package, tried as a user would: install into a fresh prefix, then build the examples
# against it with CMake (a project that sets no C++ standard) and one of them with make and pkg-config,
# run them on the display and check what each prints; and check that a program cannot include a layer it
# does not link. The install is a fixture the other two share.
list(JOIN KORVANE_SANITIZE_FLAGS " " korvane_package_flags)
set(korvane_package_work ${PROJECT_BINARY_DIR}/package-test)
set(korvane_package_arguments -DBUILD=${PROJECT_BINARY_DIR} -DCONFIG=$<CONFIG> -DWORK=${korvane_package_work}
  -DGENERATOR=${CMAKE_GENERATOR} -DCXX=${CMAKE_CXX_COMPILER} -DLAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  -DFLAGS=${korvane_package_flags} "-DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}" "-DDEPS=${KORVANE_WINDOWS_DEPS}"
  "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -DFONT=${KORVANE_FONT} -DLIBDIR=${CMAKE_INSTALL_LIBDIR})
set(korvane_package_script ${CMAKE_CURRENT_LIST_DIR}/RunPackageTest.cmake)

add_test(NAME package.Install
  COMMAND ${CMAKE_COMMAND} ${korvane_package_arguments} -DMODE=install -P ${korvane_package_script})
add_test(NAME package.ExamplesBuildAndRunAgainstTheInstalledFramework
  COMMAND ${CMAKE_COMMAND} ${korvane_package_arguments} -DMODE=examples
    -DSOURCE=${PROJECT_SOURCE_DIR}/examples -P ${korvane_package_script})
add_test(NAME package.AnUnlinkedLayerDoesNotCompile
  COMMAND ${CMAKE_COMMAND} ${korvane_package_arguments} -DMODE=unlinked
    -DSOURCE=${CMAKE_CURRENT_LIST_DIR}/unlinked -P ${korvane_package_script})

set_tests_properties(package.Install PROPERTIES FIXTURES_SETUP korvane_package TIMEOUT 120)
set_tests_properties(package.ExamplesBuildAndRunAgainstTheInstalledFramework PROPERTIES
  FIXTURES_REQUIRED korvane_package ENVIRONMENT "MESA_SHADER_CACHE_DISABLE=true" RESOURCE_LOCK display
  TIMEOUT 600)
set_tests_properties(package.AnUnlinkedLayerDoesNotCompile PROPERTIES FIXTURES_REQUIRED korvane_package
  TIMEOUT 300)
