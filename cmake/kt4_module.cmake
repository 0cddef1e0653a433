# kt4_module(<name> [DEPS <module>...] [PARTS <part>[:<below>,...]...])
#
# Builds one subsystem from its folders:
#   src/<name>/*.cpp          -> static library kt4_<name>       (no Qt)
#   src/<name>/<part>/*.cpp   -> with PARTS: static library kt4_<name>_<part>
#                                per part (kt4_parts.cmake); kt4_<name>
#                                then stands for all of them
#   src/<name>/gui/*.cpp      -> static library kt4_<name>_gui   (Qt 6 Widgets)
#   tests/<name>/*.cpp        -> test_<name>      (ctest label <name>),
#   tests/<name>/<part>/*.cpp    with the tests of every part
#   tests/<name>/gui/*.cpp    -> test_<name>_gui  (ctest label gui, offscreen)
#   tests/<name>/bench/*.cpp  -> bench_<name>     (Google Benchmark, not run by ctest)
#   tests/<name>/fuzz/*.cpp   -> fuzz_<name>_<file> (libFuzzer, with KT4_FUZZ)
# Sources are globbed, so a new file needs no edit here. Every library is
# listed in the global property KT4_LAYER_LIBS for the layer checks
# (kt4_layers.cmake), which kt4_layer_checks() adds once all are defined,
# with its declaration as target properties: KT4_LAYER its folder below
# src/, KT4_LAYER_BELOW the libraries it may link (kt4_<name>: its parts and
# DEPS; kt4_<name>_gui: kt4_<name> and the gui libraries of its DEPS) and
# KT4_LAYER_OUTSIDE, set on the gui libraries, which may also link what lies
# outside the project (Qt).
include(${CMAKE_CURRENT_LIST_DIR}/kt4_parts.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/kt4_layers.cmake)
function(kt4_module name)
  cmake_parse_arguments(M "" "" "DEPS;PARTS" ${ARGN})
  set(src_dir ${PROJECT_SOURCE_DIR}/src/${name})
  set(test_dir ${PROJECT_SOURCE_DIR}/tests/${name})

  file(GLOB core_sources CONFIGURE_DEPENDS ${src_dir}/*.cpp)
  set(dep_libs "")
  set(dep_gui_libs "")
  foreach(d ${M_DEPS})
    list(APPEND dep_libs kt4_${d})
    if(TARGET kt4_${d}_gui)
      list(APPEND dep_gui_libs kt4_${d}_gui)
    endif()
  endforeach()

  set(parts "")
  set(scope PUBLIC)
  if(M_PARTS)
    if(core_sources)
      message(FATAL_ERROR "${name}: sources beside the parts: ${core_sources}")
    endif()
    kt4_module_parts(${name} DEPS ${M_DEPS} PARTS ${M_PARTS})
    foreach(entry ${M_PARTS})
      string(REGEX REPLACE ":.*" "" part "${entry}")
      list(APPEND parts ${part})
    endforeach()
    add_library(kt4_${name} INTERFACE)
    set(scope INTERFACE)
    list(PREPEND dep_libs ${KT4_PART_LIBS})
  elseif(core_sources)
    add_library(kt4_${name} STATIC ${core_sources})
  else()
    add_library(kt4_${name} STATIC ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  target_include_directories(kt4_${name} ${scope} ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kt4_${name} ${scope} ${dep_libs})
  set_target_properties(kt4_${name} PROPERTIES KT4_LAYER ${name} KT4_LAYER_BELOW "${dep_libs}")
  set_property(GLOBAL APPEND PROPERTY KT4_LAYER_LIBS kt4_${name})
  set(KT4_CORE_LIBS ${KT4_CORE_LIBS} kt4_${name} PARENT_SCOPE)

  set(have_gui OFF)
  if(KT4_GUI)
    file(GLOB gui_sources CONFIGURE_DEPENDS ${src_dir}/gui/*.cpp ${src_dir}/gui/*.h)
    if(gui_sources)
      add_library(kt4_${name}_gui STATIC ${gui_sources})
      target_link_libraries(kt4_${name}_gui PUBLIC kt4_${name} ${dep_gui_libs}
                            Qt6::Widgets Qt6::PrintSupport)
      set(gui_below kt4_${name} ${dep_gui_libs})
      set_target_properties(kt4_${name}_gui PROPERTIES KT4_LAYER ${name}/gui
                            KT4_LAYER_BELOW "${gui_below}" KT4_LAYER_OUTSIDE ON)
      set_property(GLOBAL APPEND PROPERTY KT4_LAYER_LIBS kt4_${name}_gui)
      set(KT4_GUI_LIBS ${KT4_GUI_LIBS} kt4_${name}_gui PARENT_SCOPE)
      set(have_gui ON)
    endif()
  endif()

  if(KT4_TESTS)
    set(test_globs ${test_dir}/*.cpp)
    foreach(part ${parts})
      list(APPEND test_globs ${test_dir}/${part}/*.cpp)
    endforeach()
    file(GLOB test_sources CONFIGURE_DEPENDS ${test_globs})
    if(test_sources)
      add_executable(test_${name} ${test_sources})
      target_include_directories(test_${name} PRIVATE ${test_dir} ${PROJECT_SOURCE_DIR}/tests)
      target_link_libraries(test_${name} PRIVATE kt4_${name} GTest::gtest GTest::gtest_main)
      gtest_discover_tests(test_${name}
        PROPERTIES LABELS ${name} TIMEOUT 120
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DISCOVERY_TIMEOUT 60)
    endif()
    if(have_gui)
      file(GLOB gui_test_sources CONFIGURE_DEPENDS ${test_dir}/gui/*.cpp)
      if(gui_test_sources)
        add_executable(test_${name}_gui ${gui_test_sources}
                       ${PROJECT_SOURCE_DIR}/tests/common/gui_test_main.cpp)
        target_include_directories(test_${name}_gui PRIVATE ${test_dir} ${PROJECT_SOURCE_DIR}/tests)
        target_link_libraries(test_${name}_gui PRIVATE kt4_${name}_gui ${KT4_GUI_LIBS}
                              Qt6::Test GTest::gtest)
        target_compile_definitions(test_${name}_gui PRIVATE
          KT4_ARTIFACT_DIR="${CMAKE_BINARY_DIR}/artifacts")
        gtest_discover_tests(test_${name}_gui
          PROPERTIES LABELS gui TIMEOUT 120 ENVIRONMENT QT_QPA_PLATFORM=offscreen
          WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
          DISCOVERY_TIMEOUT 60)
        set_property(TARGET test_${name}_gui PROPERTY CROSSCOMPILING_EMULATOR
          ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen)
      endif()
    endif()
  endif()

  if(KT4_BENCH AND benchmark_FOUND)
    file(GLOB bench_sources CONFIGURE_DEPENDS ${test_dir}/bench/*.cpp)
    if(bench_sources)
      add_executable(bench_${name} ${bench_sources})
      target_include_directories(bench_${name} PRIVATE ${test_dir} ${PROJECT_SOURCE_DIR}/tests)
      set(bench_libs kt4_${name})
      if(have_gui)
        list(APPEND bench_libs kt4_${name}_gui)
      endif()
      target_link_libraries(bench_${name} PRIVATE ${bench_libs} benchmark::benchmark
                            benchmark::benchmark_main)
    endif()
  endif()

  if(KT4_FUZZ)
    file(GLOB fuzz_sources CONFIGURE_DEPENDS ${test_dir}/fuzz/*.cpp)
    foreach(f ${fuzz_sources})
      get_filename_component(stem ${f} NAME_WE)
      add_executable(fuzz_${name}_${stem} ${f})
      target_include_directories(fuzz_${name}_${stem} PRIVATE ${test_dir} ${PROJECT_SOURCE_DIR}/tests)
      target_link_libraries(fuzz_${name}_${stem} PRIVATE kt4_${name})
      target_compile_options(fuzz_${name}_${stem} PRIVATE -fsanitize=fuzzer,address,undefined)
      target_link_options(fuzz_${name}_${stem} PRIVATE -fsanitize=fuzzer,address,undefined)
    endforeach()
  endif()
endfunction()
