# kt4_module_parts(<module> DEPS <module>... PARTS <part>[:<below>,...]...)
#
# Builds a subsystem that is split into parts, one folder and one static
# library each: src/<module>/<part>/*.cpp -> kt4_<module>_<part>. An entry
# "ndx:expr" names the parts directly below a part; what lies below those
# lies below it too. A part may include and call its own folder, the parts
# below it and the subsystem's DEPS, nothing else:
# - its link line holds only the libraries of the parts below it;
# - the target check_<module>_<part> reads the #include lines of the part's
#   folder before the library is built and fails the build on any other
#   include (a part above, the subsystem's umbrella header, a subsystem that
#   is not among DEPS).
# Sets KT4_PART_LIBS in the caller's scope: the part libraries, top first.
function(kt4_module_parts module)
  cmake_parse_arguments(P "" "" "DEPS;PARTS" ${ARGN})
  set(libs "")
  set(known "")
  foreach(entry ${P_PARTS})
    string(REPLACE ":" ";" entry "${entry}")
    list(GET entry 0 part)
    set(below "")
    list(LENGTH entry n)
    if(n GREATER 1)
      list(GET entry 1 direct)
      string(REPLACE "," ";" direct "${direct}")
      foreach(b ${direct})
        if(NOT b IN_LIST known)
          message(FATAL_ERROR "${module}/${part}: part ${b} must be listed before it")
        endif()
        list(APPEND below ${b} ${below_${b}})
      endforeach()
      list(REMOVE_DUPLICATES below)
    endif()
    set(below_${part} ${below})
    list(APPEND known ${part})

    set(dir ${PROJECT_SOURCE_DIR}/src/${module}/${part})
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
    set(lib kt4_${module}_${part})
    add_library(${lib} STATIC ${sources})
    target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set(link "")
    foreach(b ${below})
      list(APPEND link kt4_${module}_${b})
    endforeach()
    foreach(d ${P_DEPS})
      list(APPEND link kt4_${d})
    endforeach()
    target_link_libraries(${lib} PUBLIC ${link})

    set(allowed ${module}/${part})
    foreach(b ${below})
      list(APPEND allowed ${module}/${b})
    endforeach()
    list(APPEND allowed ${P_DEPS})
    string(REPLACE ";" "," allowed "${allowed}")
    set(stamp ${CMAKE_BINARY_DIR}/checks/${module}_${part}.ok)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DFOLDER=${dir} -DALLOWED=${allowed}
              -DROOT=${PROJECT_SOURCE_DIR}/src -DSTAMP=${stamp}
              -P ${PROJECT_SOURCE_DIR}/cmake/kt4_check_includes.cmake
      DEPENDS ${sources} ${headers} ${PROJECT_SOURCE_DIR}/cmake/kt4_check_includes.cmake
      COMMENT "Checking the includes of ${module}/${part}"
      VERBATIM)
    add_custom_target(check_${module}_${part} ALL DEPENDS ${stamp})
    add_dependencies(${lib} check_${module}_${part})
    list(PREPEND libs ${lib})
  endforeach()
  set(KT4_PART_LIBS ${libs} PARENT_SCOPE)
endfunction()
