# kt4_module_parts(<module> DEPS <module>... PARTS <part>[:<below>,...]...)
#
# Builds a subsystem that is split into parts, one folder and one static
# library each: src/<module>/<part>/*.cpp -> kt4_<module>_<part>. An entry
# "ndx:expr" names the parts directly below a part; what lies below those
# lies below it too. A part may include and call its own folder, the parts
# below it and the subsystem's DEPS, nothing else:
# its declaration, the target property KT4_LAYER_BELOW, names the libraries
# of the parts below it and the subsystem's DEPS, its link line holds the
# same, and the layer checks (kt4_layers.cmake) hold its links, its includes
# and its symbols to the declaration: no link or include of a part above, of
# the subsystem's umbrella header or of a subsystem that is not among DEPS.
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
    set_target_properties(${lib} PROPERTIES KT4_LAYER ${module}/${part}
                          KT4_LAYER_BELOW "${link}")
    set_property(GLOBAL APPEND PROPERTY KT4_LAYER_LIBS ${lib})

    list(PREPEND libs ${lib})
  endforeach()
  set(KT4_PART_LIBS ${libs} PARENT_SCOPE)
endfunction()
