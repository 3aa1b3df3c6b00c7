# Fails when a file of the bottom or the data layer includes a header from
# above it: anything outside its allowed folders, a ui/ subfolder of a data
# folder, or a form (ui_*.h).
#   cmake -DROOT=<source folder> -P CheckLayers.cmake
# With -DSELFTEST=<scratch folder> it checks itself on a small made-up tree.
cmake_minimum_required(VERSION 3.16)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

if(DEFINED SELFTEST)
  set(_tree ${SELFTEST}/tree)
  file(REMOVE_RECURSE ${_tree})
  file(WRITE ${_tree}/common/Good.h "#include \"common/Other.h\"\n#include <QString>\n")
  file(WRITE ${_tree}/readers/Good.cpp "#include \"readers/Good.h\"\n#include \"charts/Model.h\"\n#include \"Local.h\"\n")
  file(WRITE ${_tree}/tables/ui/Page.cpp "#include \"app/MainWindow.h\"\n#include \"ui_Page.h\"\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${_tree} -P ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "a tree that keeps the rule was refused")
  endif()
  foreach(_bad "common/Bad.cpp|#include \"readers/Parser.h\""
               "chartlib/Bad.h|  #  include \"database/DeviceTypes.h\""
               "readers/Bad.cpp|#include \"app/MainWindow.h\""
               "charts/Bad.cpp|#include \"charts/ui/ChartViewPage.h\""
               "tables/Bad.cpp|#include \"ui_TableViewPage.h\""
               "database/Bad.h|#include \"reports/AbstractReportModel.h\"")
    string(REPLACE "|" ";" _parts "${_bad}")
    list(GET _parts 0 _file)
    list(GET _parts 1 _line)
    file(WRITE ${_tree}/${_file} "// a file\n${_line}\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${_tree} -P ${CMAKE_CURRENT_LIST_FILE}
                    RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
    file(REMOVE ${_tree}/${_file})
    if(_rc EQUAL 0)
      message(FATAL_ERROR "${_file} with ${_line} passed")
    endif()
  endforeach()
  file(REMOVE_RECURSE ${_tree})
  return()
endif()

if(NOT DEFINED ROOT)
  message(FATAL_ERROR "ROOT (the source folder) is not given")
endif()

string(REPLACE ";" "|" _bottom "${QUORLOG_BOTTOM_DIRS}")
string(REPLACE ";" "|" _data "${QUORLOG_BOTTOM_DIRS};${QUORLOG_DATA_DIRS}")
set(_violations)
foreach(_dir ${QUORLOG_BOTTOM_DIRS} ${QUORLOG_DATA_DIRS})
  list(FIND QUORLOG_BOTTOM_DIRS ${_dir} _isBottom)
  if(_isBottom GREATER -1)
    set(_allowed "^(${_bottom})/")
  else()
    set(_allowed "^(${_data})/")
  endif()
  file(GLOB_RECURSE _files ${ROOT}/${_dir}/*.h ${ROOT}/${_dir}/*.cpp)
  foreach(_file ${_files})
    file(RELATIVE_PATH _rel ${ROOT} ${_file})
    if(_rel MATCHES "^[^/]+/${QUORLOG_UI_SUBDIR}/")
      continue()
    endif()
    file(STRINGS ${_file} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(_line ${_lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" _inc "${_line}")
      if(_inc MATCHES "(^|/)ui_")
        list(APPEND _violations "${_rel}: ${_inc} (a form)")
      elseif(_inc MATCHES "/" AND (NOT _inc MATCHES "${_allowed}" OR _inc MATCHES "^[^/]+/${QUORLOG_UI_SUBDIR}/"))
        list(APPEND _violations "${_rel}: ${_inc}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(_violations)
  string(REPLACE ";" "\n  " _list "${_violations}")
  message(FATAL_ERROR "Includes from above the layer (see ARCHITECTURE.md):\n  ${_list}")
endif()
