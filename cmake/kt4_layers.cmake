# The layer checks. A library of the project may link, include and use
# itself and what its declaration puts below it (directly or through
# others), nothing else. A library takes part when its target has the
# property KT4_LAYER, the folder below src/ that holds its sources; its
# declaration is the target property KT4_LAYER_BELOW, the libraries directly
# below it, and KT4_LAYER_OUTSIDE, true when it may link what lies outside
# the project (kt4_module.cmake and kt4_parts.cmake set them from DEPS and
# PARTS). The link lines are checked against the declaration, never trusted.
#
# kt4_layer_below(<target> <var>)
#   Sets <var> to the libraries that <target>'s declaration puts below it,
#   directly or through others.
# kt4_layer_links(<target> <links> <foreign>)
#   Sets <links> to the project's targets that <target> links, with every
#   generator expression other than $<LINK_ONLY:...> as it stands, and
#   <foreign> to the rest of its links (kt4_check_order.cmake).
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
#   Every check for every library of the global property KT4_LAYER_LIBS:
#   the links at once (configure fails), the includes at build time, the
#   symbols in ctest. It runs once every CMakeLists.txt is read, so that
#   links added anywhere are seen.
include(${CMAKE_CURRENT_LIST_DIR}/kt4_check_order.cmake)

function(kt4_layer_below target var)
  set(seen "")
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    get_target_property(below ${t} KT4_LAYER_BELOW)
    if(NOT below)
      continue()
    endif()
    foreach(l ${below})
      if(NOT l IN_LIST seen)
        list(APPEND seen ${l})
        list(APPEND todo ${l})
      endif()
    endforeach()
  endwhile()
  set(${var} ${seen} PARENT_SCOPE)
endfunction()

function(kt4_layer_links target links_var foreign_var)
  set(links "")
  set(foreign "")
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES INTERFACE_LINK_LIBRARIES_DIRECT)
    get_target_property(items ${target} ${property})
    if(NOT items)
      continue()
    endif()
    foreach(i ${items})
      # a private link of a static library, as CMake passes it on
      if(i MATCHES "^\\$<LINK_ONLY:([^$<>]+)>$")
        set(i ${CMAKE_MATCH_1})
      endif()
      if(i MATCHES "^::@")
        # the marks around links that another folder's CMakeLists.txt adds
        continue()
      elseif(i MATCHES "\\$<")
        list(APPEND links ${i})
      elseif(TARGET ${i})
        get_target_property(aliased ${i} ALIASED_TARGET)
        if(aliased)
          set(i ${aliased})
        endif()
        get_target_property(imported ${i} IMPORTED)
        if(imported)
          list(APPEND foreign ${i})
        else()
          list(APPEND links ${i})
        endif()
      else()
        list(APPEND foreign ${i})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES links)
  list(REMOVE_DUPLICATES foreign)
  set(${links_var} ${links} PARENT_SCOPE)
  set(${foreign_var} ${foreign} PARENT_SCOPE)
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

function(kt4_layer_checks)
  get_property(libs GLOBAL PROPERTY KT4_LAYER_LIBS)
  foreach(lib ${libs})
    get_target_property(${lib}_BELOW ${lib} KT4_LAYER_BELOW)
    get_target_property(${lib}_OUTSIDE ${lib} KT4_LAYER_OUTSIDE)
    if(NOT ${lib}_BELOW)
      set(${lib}_BELOW "")
    endif()
    kt4_layer_links(${lib} ${lib}_LINKS ${lib}_FOREIGN)
  endforeach()
  kt4_check_order(${libs})

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
