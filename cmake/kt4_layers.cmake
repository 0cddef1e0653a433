# The layer checks. A library of the project may use itself and what its
# target_link_libraries reach (directly or through those), nothing else.
# A library takes part when its target has the property KT4_LAYER, the
# folder below src/ that holds its sources (kt4_module.cmake sets it).
#
# kt4_layer_below(<target> <var>)
#   Sets <var> to the libraries with KT4_LAYER that <target> links, directly
#   or through others, as the targets' link libraries state them.
# kt4_layer_includes(<target>)
#   The target check_<target> reads the #include lines of the library's
#   folder before the library is built and fails the build on an include of
#   another folder than its own and those of the libraries below it, and on
#   any include with "." or ".." in its path (kt4_check_includes.cmake).
# kt4_layer_link_list(<file> <target>...)
#   Writes <file> at generate time: one line per static library among the
#   targets, its name, its archive and the static libraries below it
#   (tab-separated, the last field a list with spaces), for
#   kt4_check_links.sh, which checks with nm that every symbol a library
#   takes from another library of the list comes from one below it.
# kt4_layer_checks()
#   Both checks for every library of the global property KT4_LAYER_LIBS,
#   once all are defined.

function(kt4_layer_below target var)
  set(seen "")
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${t} INTERFACE_LINK_LIBRARIES)
    else()
      get_target_property(links ${t} LINK_LIBRARIES)
    endif()
    foreach(l ${links})
      if(TARGET ${l} AND NOT l IN_LIST seen)
        get_target_property(layer ${l} KT4_LAYER)
        if(layer)
          list(APPEND seen ${l})
          list(APPEND todo ${l})
        endif()
      endif()
    endforeach()
  endwhile()
  set(${var} ${seen} PARENT_SCOPE)
endfunction()

function(kt4_layer_includes target)
  get_target_property(folder ${target} KT4_LAYER)
  kt4_layer_below(${target} below)
  set(allowed ${folder})
  foreach(b ${below})
    get_target_property(f ${b} KT4_LAYER)
    list(APPEND allowed ${f})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  string(REPLACE ";" "," allowed "${allowed}")
  set(dir ${PROJECT_SOURCE_DIR}/src/${folder})
  file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  set(stamp ${CMAKE_BINARY_DIR}/checks/${target}.ok)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${dir} -DALLOWED=${allowed}
            -DROOT=${PROJECT_SOURCE_DIR}/src -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/kt4_check_includes.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/kt4_check_includes.cmake
    COMMENT "Checking the includes of ${folder}"
    VERBATIM)
  add_custom_target(check_${target} ALL DEPENDS ${stamp})
  add_dependencies(${target} check_${target})
endfunction()

function(kt4_layer_link_list file)
  set(content "")
  foreach(t ${ARGN})
    get_target_property(type ${t} TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
      continue()
    endif()
    string(APPEND content "${t}\t$<TARGET_FILE:${t}>\t")
    kt4_layer_below(${t} below)
    set(names "")
    foreach(b ${below})
      get_target_property(btype ${b} TYPE)
      if(btype STREQUAL "STATIC_LIBRARY")
        list(APPEND names ${b})
      endif()
    endforeach()
    string(REPLACE ";" " " names "${names}")
    string(APPEND content "${names}\n")
  endforeach()
  file(GENERATE OUTPUT ${file} CONTENT "${content}")
endfunction()

# The layer checks of every library, the umbrella kt4_dbase too: its
# includes at build time, its symbols (static libraries) in the ctest test
# LinkCheck.EveryLibraryUsesOnlyTheLibrariesBelowIt.
function(kt4_layer_checks)
  get_property(libs GLOBAL PROPERTY KT4_LAYER_LIBS)
  foreach(lib ${libs})
    kt4_layer_includes(${lib})
  endforeach()
  if(KT4_TESTS)
    set(list ${CMAKE_BINARY_DIR}/checks/link_layers.txt)
    kt4_layer_link_list(${list} ${libs})
    add_test(NAME LinkCheck.EveryLibraryUsesOnlyTheLibrariesBelowIt
      COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/kt4_check_links.sh ${CMAKE_NM} ${list})
    set_tests_properties(LinkCheck.EveryLibraryUsesOnlyTheLibrariesBelowIt PROPERTIES LABELS layers)
  endif()
endfunction()
