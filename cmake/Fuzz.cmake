# The fuzz targets (libFuzzer): declared once, in CMakeLists.txt, with korvane_fuzz_target(); the build makes
# their programs and writes ${PROJECT_BINARY_DIR}/fuzz-targets.txt, from which scripts/fuzz knows what to
# run and how. Each line of that file, tab-separated:
#   name  share  gl  seeds  corpus  options
# name: the program is korvane_<name>_fuzz; share: the target runs (runs / share) inputs; gl: 1 when it needs
# a GL context on an X server; seeds: the program that writes generated seeds into a folder, or -; corpus:
# the folder of inputs kept in the tree (tests/fuzz/corpus/<name>), or -; options: further libFuzzer options.
# The target korvane_fuzz builds every program.

set(KORVANE_FUZZ_TARGETS_FILE ${PROJECT_BINARY_DIR}/fuzz-targets.txt)
file(WRITE ${KORVANE_FUZZ_TARGETS_FILE} "")
add_custom_target(korvane_fuzz)

# korvane_fuzz_target(<name> SOURCE <file> LAYERS <layer>... [SEEDS <generator source>] [GL] [SHARE <n>]
#                     [OPTIONS <libFuzzer option>...])
function(korvane_fuzz_target name)
  cmake_parse_arguments(F "GL" "SOURCE;SEEDS;SHARE" "LAYERS;OPTIONS" ${ARGN})
  if(F_UNPARSED_ARGUMENTS OR NOT F_SOURCE OR NOT F_LAYERS)
    message(FATAL_ERROR "korvane_fuzz_target(${name}): SOURCE and LAYERS are needed (unexpected: "
      "${F_UNPARSED_ARGUMENTS})")
  endif()
  if(NOT F_SHARE)
    set(F_SHARE 1)
  endif()
  set(target korvane_${name}_fuzz)
  add_executable(${target} ${F_SOURCE})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  list(TRANSFORM F_LAYERS PREPEND korvane:: OUTPUT_VARIABLE layers)
  target_link_libraries(${target} PRIVATE ${layers})
  add_dependencies(korvane_fuzz ${target})

  set(seeds -)
  if(F_SEEDS)
    set(seeds korvane_${name}_seeds)
    add_executable(${seeds} ${F_SEEDS})
    target_include_directories(${seeds} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    add_dependencies(korvane_fuzz ${seeds})
  endif()
  set(corpus -)
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
    set(corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
  endif()
  if(seeds STREQUAL "-" AND corpus STREQUAL "-")
    message(FATAL_ERROR "korvane_fuzz_target(${name}): no SEEDS program and no tests/fuzz/corpus/${name}")
  endif()
  set(gl 0)
  if(F_GL)
    set(gl 1)
  endif()
  list(JOIN F_OPTIONS " " options)
  file(APPEND ${KORVANE_FUZZ_TARGETS_FILE} "${name}\t${F_SHARE}\t${gl}\t${seeds}\t${corpus}\t${options}\n")
endfunction()
