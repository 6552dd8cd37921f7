# Installs the build tree into a fresh prefix, then configures, builds and runs the outside project
# against that prefix alone.
# cmake -DBUILD=<tree> -DCONFIG=<config> -DSOURCE=<project> -DWORK=<scratch> -DGENERATOR=<generator>
#       -DCXX=<compiler> [-DLAUNCHER=<launcher>] [-DFLAGS=<compile and link flags>]
#       [-DTOOLCHAIN=<cross toolchain file> -DDEPS=<its library prefix> -DEMULATOR=<runs its programs>]
#       -P RunPackageTest.cmake
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed (${result}): ${command}")
  endif()
endfunction()

set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})
run(${CMAKE_COMMAND} --install ${BUILD} --config ${CONFIG} --prefix ${prefix})

# Users get the layers' interfaces, not the operating-system backend behind them.
file(GLOB_RECURSE backend ${prefix}/include/korvane/platform/*/*)
if(backend)
  message(FATAL_ERROR "backend headers were installed: ${backend}")
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
run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G ${GENERATOR} ${options})
run(${CMAKE_COMMAND} --build ${WORK}/build --config ${CONFIG})
find_program(program NAMES korvane_clear korvane_clear.exe PATHS ${WORK}/build ${WORK}/build/${CONFIG}
  NO_DEFAULT_PATH REQUIRED)
run(${EMULATOR} ${program})
