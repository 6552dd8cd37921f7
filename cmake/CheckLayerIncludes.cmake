# Compares what each layer's files include with the layers it declares (korvane_module DEPS and PRIVATE):
# every `#include "<dir>/..."` of a layer's folders under src/ is mapped to the layer that owns <dir>, and
# the set of those layers must be exactly the declared one. Fails naming the layer, the dependency and,
# for one that is included but not declared, a file that includes it.
#   cmake -DSOURCE=<source root> -DTABLE=<layer table> -P CheckLayerIncludes.cmake
# The table (written by korvane_layering_tests) sets korvane_layers, and per layer korvane_<layer>_dirs and
# korvane_<layer>_declared (aliases already replaced by the layer they name).
cmake_minimum_required(VERSION 3.25)
include(${TABLE})

foreach(layer IN LISTS korvane_layers)
  foreach(dir IN LISTS korvane_${layer}_dirs)
    set(owner_${dir} ${layer})
  endforeach()
endforeach()

set(problems)
set(checked 0)
foreach(layer IN LISTS korvane_layers)
  set(included)
  foreach(dir IN LISTS korvane_${layer}_dirs)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SOURCE}
      ${SOURCE}/src/${dir}/*.h ${SOURCE}/src/${dir}/*.hpp ${SOURCE}/src/${dir}/*.cpp ${SOURCE}/src/${dir}/*.inl)
    list(SORT files)
    foreach(file IN LISTS files)
      file(STRINGS ${SOURCE}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" used "${line}")
        math(EXPR checked "${checked} + 1")
        # Folders that are no layer's (an outside library's) are not the layers' business.
        if(NOT DEFINED owner_${used})
          continue()
        endif()
        set(other ${owner_${used}})
        if(other STREQUAL layer OR other IN_LIST included)
          continue()
        endif()
        list(APPEND included ${other})
        if(NOT other IN_LIST korvane_${layer}_declared)
          string(STRIP "${line}" line)
          list(APPEND problems "the layer ${layer} includes ${other} without declaring it (${file}: ${line})")
        endif()
      endforeach()
    endforeach()
  endforeach()
  foreach(declared IN LISTS korvane_${layer}_declared)
    if(NOT declared IN_LIST included)
      list(APPEND problems "the layer ${layer} declares ${declared} but includes none of its headers")
    endif()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no include lines found under ${SOURCE}/src: the check would prove nothing")
endif()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Declared layer dependencies do not match the includes:\n  ${text}\n"
    "Fix the DEPS of korvane_module() in CMakeLists.txt (or the include).")
endif()
list(LENGTH korvane_layers count)
message(STATUS "${count} layers: declared dependencies match ${checked} include lines")
