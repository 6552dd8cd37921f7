target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tools/skybox/SkyBox.cpp)
target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(${target} PRIVATE KORVANE_RUN_DIR="${KORVANE_RUN_DIR}")
add_dependencies(${target} korvane_run_directory)
