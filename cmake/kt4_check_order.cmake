# The order check of the layers (kt4_layers.cmake): a library links only
# what its declaration puts below it, and no library reaches itself through
# its links.
#
# kt4_check_order(<lib>...)
#   Reads for each <lib> the variables
#     <lib>_BELOW    the libraries its declaration puts directly below it
#     <lib>_OUTSIDE  true when it may link what lies outside the project
#     <lib>_LINKS    the project's targets it links, and every link the
#                    check cannot read (a generator expression) as it stands
#     <lib>_FOREIGN  what else it links: targets from outside the project,
#                    plain library names, paths and options
#   and fails with one line per link that its declaration does not allow
#   and per library that reaches itself.
#
# cmake -DFIXTURE=<file> -P kt4_check_order.cmake
#   Runs it over the list LIBS and the variables that <file> sets.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.22)
endif()

function(kt4_check_order)
  set(libs ${ARGN})
  set(wrong "")
  foreach(lib ${libs})
    foreach(l ${${lib}_LINKS})
      if(NOT l IN_LIST ${lib}_BELOW)
        string(APPEND wrong "\n  ${lib} links ${l}, which its declaration does not put below it")
      endif()
    endforeach()
    if(NOT ${lib}_OUTSIDE)
      foreach(l ${${lib}_FOREIGN})
        string(APPEND wrong "\n  ${lib} links ${l}, which lies outside the project")
      endforeach()
    endif()
  endforeach()

  # A cycle: from each library breadth-first along the links between the
  # libraries, remembering where each was reached from, until the library
  # itself comes up again; the shortest way round is shown.
  foreach(start ${libs})
    set(seen "")
    set(todo ${start})
    set(last "")
    while(todo AND last STREQUAL "")
      list(POP_FRONT todo t)
      foreach(l ${${t}_LINKS})
        if(l STREQUAL start)
          set(last ${t})
          break()
        elseif(l IN_LIST libs AND NOT l IN_LIST seen)
          list(APPEND seen ${l})
          list(APPEND todo ${l})
          set(from_${l} ${t})
        endif()
      endforeach()
    endwhile()
    if(NOT last STREQUAL "")
      set(way ${start})
      set(t ${last})
      while(NOT t STREQUAL start)
        list(PREPEND way ${t})
        set(t ${from_${t}})
      endwhile()
      list(PREPEND way ${start})
      list(JOIN way " -> " way)
      string(APPEND wrong "\n  ${start} reaches itself through its links: ${way}")
    endif()
  endforeach()

  if(NOT wrong STREQUAL "")
    message(FATAL_ERROR "The links go against the declared order of the "
      "libraries (kt4_module DEPS and PARTS):${wrong}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  include(${FIXTURE})
  kt4_check_order(${LIBS})
endif()
