# The include check of one library's folder (kt4_layers.cmake):
#   cmake -DFOLDER=<dir> -DALLOWED=<a,b/c,...> -DROOT=<src> [-DSTAMP=<file>]
#         -P kt4_check_includes.cmake
# Every #include "..." with a folder in its path in FOLDER's *.h and *.cpp
# files, and every #include <...> that names a folder of ROOT, must name a
# file directly in one of the ALLOWED folders (paths below ROOT; "a" does not
# allow "a/gui"), with no "." or ".." in its path. A bare name finds the
# file's own folder or a generated file, never another folder of ROOT.
# Fails with the list of the other includes; touches STAMP when all are
# allowed.
cmake_minimum_required(VERSION 3.22)
string(REPLACE "," ";" allowed "${ALLOWED}")
file(GLOB files ${FOLDER}/*.h ${FOLDER}/*.cpp)
set(wrong "")
foreach(f ${files})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    set(path "")
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*/[^\"]*)\"")
      set(path ${CMAKE_MATCH_1})
    elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<(([^/>]+)/[^>]*)>")
      if(IS_DIRECTORY ${ROOT}/${CMAKE_MATCH_2})
        set(path ${CMAKE_MATCH_1})
      endif()
    endif()
    if(path STREQUAL "")
      continue()
    endif()
    get_filename_component(dir "${path}" DIRECTORY)
    # an exact folder: "a/../b" and "./a" are no folder of the list
    if(NOT dir IN_LIST allowed)
      get_filename_component(name ${f} NAME)
      string(APPEND wrong "\n  ${name}: #include \"${path}\"")
    endif()
  endforeach()
endforeach()
if(NOT wrong STREQUAL "")
  string(REPLACE "," ", " allowed "${ALLOWED}")
  message(FATAL_ERROR "${FOLDER} may include only from ${allowed}; it includes:${wrong}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
