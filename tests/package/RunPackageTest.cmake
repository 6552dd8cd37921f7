# One step of the package test, against the prefix <WORK>/prefix.
# cmake -DMODE=install|examples|unlinked -DBUILD=<tree> -DCONFIG=<config> -DWORK=<scratch>
#       -DGENERATOR=<generator> -DCXX=<compiler> [-DSOURCE=<outside project>] [-DLAUNCHER=<launcher>]
#       [-DFLAGS=<compile and link flags>] [-DFONT=<TrueType file for the overlay example>] [-DLIBDIR=lib]
#       [-DTOOLCHAIN=<cross toolchain file> -DDEPS=<its library prefix> -DEMULATOR=<runs its programs>]
#       -P RunPackageTest.cmake
#   install   installs the build tree into a fresh prefix and checks its layout;
#   examples  builds the examples with CMake (and the window example with make and pkg-config) and runs
#             each, checking its exit code and what it prints; a cross build only builds them and runs
#             the window example;
#   unlinked  builds a project that includes a layer it does not link: the build must fail on that include.
set(prefix ${WORK}/prefix)
if(NOT LIBDIR)
  set(LIBDIR lib)
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed (${result}): ${command}")
  endif()
endfunction()

# Runs a program and checks its exit code and that its output matches `expected`.
function(check name expected)
  execute_process(COMMAND ${EMULATOR} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
    ERROR_VARIABLE errors TIMEOUT 60)
  message(STATUS "${name}: ${output}")
  if(NOT result EQUAL 0 OR NOT output MATCHES "${expected}")
    message(FATAL_ERROR "${name} failed (exit ${result}), expected output matching '${expected}':\n"
      "${output}${errors}")
  endif()
endfunction()

if(MODE STREQUAL "install")
  file(REMOVE_RECURSE ${WORK})
  run(${CMAKE_COMMAND} --install ${BUILD} --config ${CONFIG} --prefix ${prefix})
  # Users get the layers' interfaces: no operating-system backend, no demonstration.
  file(GLOB_RECURSE backend ${prefix}/include/korvane/platform/platform/*/*)
  if(backend)
    message(FATAL_ERROR "backend headers were installed: ${backend}")
  endif()
  file(GLOB_RECURSE demo ${prefix}/include/korvane/*/demo/* ${prefix}/${LIBDIR}/*korvane_demo*)
  if(demo)
    message(FATAL_ERROR "the demonstration was installed: ${demo}")
  endif()
  # Each layer under a root of its own, which holds that layer only.
  foreach(header gui/gui/Window.h input/input/MouseListener.h core/object/Version.h
      platform/platform/Window.h)
    if(NOT EXISTS ${prefix}/include/korvane/${header})
      message(FATAL_ERROR "include/korvane/${header} is missing")
    endif()
  endforeach()
  file(GLOB roots RELATIVE ${prefix}/include/korvane ${prefix}/include/korvane/gui/*)
  if(NOT roots STREQUAL "gui/gui")
    message(FATAL_ERROR "the gui layer's include root holds more than its own folder: ${roots}")
  endif()
  return()
endif()

set(options -DCMAKE_BUILD_TYPE=${CONFIG} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
if(FLAGS)
  # Set only when there are some: they replace the tool chain's own (a static link on Windows).
  list(APPEND options "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
endif()
if(TOOLCHAIN)
  # A cross build: the same tool chain and libraries, and the prefix searched inside its root paths.
  list(APPEND options -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DKORVANE_WINDOWS_DEPS=${DEPS}
    -DCMAKE_FIND_ROOT_PATH=${prefix})
endif()
if(LAUNCHER)
  list(APPEND options -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
get_filename_component(project ${SOURCE} NAME)
set(build ${WORK}/${project})
file(REMOVE_RECURSE ${build})
run(${CMAKE_COMMAND} -S ${SOURCE} -B ${build} -G ${GENERATOR} ${options})

if(MODE STREQUAL "unlinked")
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --config ${CONFIG} RESULT_VARIABLE result
    OUTPUT_VARIABLE output ERROR_VARIABLE output)
  # GCC, Clang and MSVC word a missing header differently; each names the header.
  set(missing "input/MouseListener\\.h: No such file|'input/MouseListener\\.h' file not found|Cannot open include file: 'input/MouseListener\\.h'")
  if(result EQUAL 0 OR NOT output MATCHES "${missing}")
    message(FATAL_ERROR "including a layer that is not linked did not fail on that include (exit ${result}):\n"
      "${output}")
  endif()
  message(STATUS "the build failed on the unlinked layer's header, as it must")
  return()
endif()

run(${CMAKE_COMMAND} --build ${build} --config ${CONFIG})
function(example name)
  find_program(program_${name} NAMES ${name} ${name}.exe PATHS ${build} ${build}/${CONFIG} NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(program ${program_${name}} PARENT_SCOPE)
endfunction()

example(window)
check(window "frame 5 centre pixel 0 0 255" ${program} --frames 5)
if(TOOLCHAIN)
  # The Windows build's examples are built; the window example stands for them under the emulator.
  return()
endif()
example(mesh)
check(mesh "centre pixel [0-9]+ 0 0" ${program} --check)
example(skybox)
check(skybox "centre pixel 0 255 255 \\(-z face\\), after the drag [0-9 ]+ \\([+-][xyz] face\\)" ${program} --check)
example(loopers)
check(loopers "rally of 20: ping received 10, pong received 10, on two looper threads" ${program})
if(FONT)
  example(overlay)
  check(overlay "label got 1 click\\(s\\), the mouse listener got 1 click\\(s\\), text covers [1-9]"
    ${program} ${FONT} --check)
else()
  message(STATUS "overlay: not run, no TrueType font was found when the framework was configured")
endif()

# The window example again, through make and pkg-config alone.
find_program(make NAMES make gmake)
find_program(pkgconfig NAMES pkg-config pkgconf)
if(NOT make OR NOT pkgconfig)
  message(FATAL_ERROR "make and pkg-config are needed to build the example through pkg-config")
endif()
set(folder ${WORK}/make)
file(MAKE_DIRECTORY ${folder})
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
execute_process(COMMAND ${pkgconfig} --variable=libdir korvane-gui OUTPUT_VARIABLE libdir)
if(NOT libdir)
  message(FATAL_ERROR "pkg-config finds no korvane-gui in ${prefix}/${LIBDIR}/pkgconfig")
endif()
run(${make} -C ${folder} -f ${SOURCE}/Makefile CXX=${CXX} "CXXFLAGS=-O1 ${FLAGS}" "LDFLAGS=${FLAGS}")
check(pkg-config-window "frame 4 centre pixel 0 255 0" ${folder}/window --frames 4)
