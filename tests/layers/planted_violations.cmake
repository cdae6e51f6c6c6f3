# cmake -DQK_CHECK=<check_layers.cmake> -DQK_WORK=<scratch folder> -P planted_violations.cmake
#
# The layer check run on small planted source trees: a clean one must pass, and each
# planted violation must fail with its own message, so the check can fail at all.
cmake_minimum_required(VERSION 3.25)

# Two libraries: `core` (Qt-free, links nothing) and `ui` (links core and Qt).
# plant(<name> <core links> <file=include>...) writes the tree and its graph.
function(plant name core_links)
  set(root "${QK_WORK}/${name}/src")
  file(REMOVE_RECURSE "${QK_WORK}/${name}")
  file(WRITE "${root}/core/a.h" "#pragma once\n")
  file(WRITE "${root}/core/a.cpp" "#include \"core/a.h\"\n")
  file(WRITE "${root}/ui/w.h" "#pragma once\n#include <QWidget>\n")
  file(WRITE "${root}/ui/w.cpp" "#include \"ui/w.h\"\n#include \"core/a.h\"\n")
  foreach(planted IN LISTS ARGN)
    string(REPLACE "=" ";" parts "${planted}")
    list(GET parts 0 file)
    list(GET parts 1 include)
    file(APPEND "${root}/${file}" "#include ${include}\n")
  endforeach()
  file(WRITE "${QK_WORK}/${name}/graph.cmake"
    "set(QK_LAYER_core_SOURCES \"${root}/core/a.cpp\")\n"
    "set(QK_LAYER_core_LINKS \"${core_links}\")\n"
    "set(QK_LAYER_core_PUBLIC_LINKS \"${core_links}\")\n"
    "set(QK_LAYER_ui_SOURCES \"${root}/ui/w.cpp\")\n"
    "set(QK_LAYER_ui_LINKS \"core;Qt6::Widgets\")\n"
    "set(QK_LAYER_ui_PUBLIC_LINKS \"core;Qt6::Widgets\")\n"
    "set(QK_LAYER_TARGETS \"core;ui\")\n"
    "set(QK_LAYER_QT_FREE \"core\")\n"
    "set(QK_LAYER_SOURCE_ROOT \"${root}\")\n")
endfunction()

set(failed "")
# expect(<name> <passes: TRUE|FALSE> <text the output must hold>)
function(expect name passes text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DQK_LAYER_GRAPH=${QK_WORK}/${name}/graph.cmake -P ${QK_CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(output "${out}${err}")
  if(passes AND NOT result EQUAL 0)
    string(APPEND failed "${name}: the check failed on a clean tree:\n${output}\n")
  elseif(NOT passes AND result EQUAL 0)
    string(APPEND failed "${name}: the check passed a planted violation\n")
  endif()
  string(FIND "${output}" "${text}" at)
  if(at EQUAL -1)
    string(APPEND failed "${name}: no \"${text}\" in:\n${output}\n")
  endif()
  set(failed "${failed}" PARENT_SCOPE)
endfunction()

plant(clean "")
expect(clean TRUE "Layer rule holds: 4 files of 2 libraries")

plant(qt_header_in_core "" "core/a.cpp=<QString>")
expect(qt_header_in_core FALSE "src/core/a.cpp: includes <QString>, but core does not link Qt")

plant(header_of_an_unlinked_library "" "core/a.h=\"ui/w.h\"")
expect(header_of_an_unlinked_library FALSE "src/core/a.h: includes \"ui/w.h\" of ui, which core does not link")

plant(core_linking_qt "Qt6::Core")
expect(core_linking_qt FALSE "core links Qt (Qt6::Core); it must stay free of Qt")

if(failed)
  message(FATAL_ERROR "${failed}")
endif()
message(STATUS "Each planted violation fails the layer check; the clean tree passes")
