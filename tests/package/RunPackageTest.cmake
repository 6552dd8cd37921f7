# Installs the build tree into a fresh prefix, then configures, builds and runs the outside project
# against that prefix alone.
# cmake -DBUILD=<tree> -DCONFIG=<config> -DSOURCE=<project> -DWORK=<scratch> -DGENERATOR=<generator>
#       -DCXX=<compiler> [-DLAUNCHER=<launcher>] [-DFLAGS=<compile and link flags>] -P RunPackageTest.cmake
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
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
if(LAUNCHER)
  list(APPEND options -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G ${GENERATOR} ${options})
run(${CMAKE_COMMAND} --build ${WORK}/build --config ${CONFIG})
find_program(program korvane_clear PATHS ${WORK}/build ${WORK}/build/${CONFIG} NO_DEFAULT_PATH REQUIRED)
run(${program})
