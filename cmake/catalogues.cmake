# The bearing catalogue tables: data/catalogues/<table>.csv are written as
# dBase tables into build/catalogues by the tool kt4_catalogues, with the
# load-factor tables beside them, and the print layout table printout.dbf
# from data/src/printout.csv. The program and the tests depend on them;
# nothing is written into the source tree.
add_executable(kt4_catalogues ${PROJECT_SOURCE_DIR}/src/drive/tool/make_catalogues.cpp)
target_link_libraries(kt4_catalogues PRIVATE kt4_drive kt4_graphics)

set(kt4_catalogue_dir ${CMAKE_BINARY_DIR}/catalogues)
file(GLOB kt4_catalogue_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/catalogues/*.csv)
file(GLOB kt4_factor_tables CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*.HDF)
set(kt4_catalogue_outputs "")
foreach(f ${kt4_catalogue_sources})
  get_filename_component(stem ${f} NAME_WE)
  list(APPEND kt4_catalogue_outputs ${kt4_catalogue_dir}/${stem}.dbf)
endforeach()
foreach(f ${kt4_factor_tables})
  get_filename_component(name ${f} NAME)
  list(APPEND kt4_catalogue_outputs ${kt4_catalogue_dir}/${name})
endforeach()
set(kt4_layout_source ${PROJECT_SOURCE_DIR}/data/src/printout.csv)
list(APPEND kt4_catalogue_outputs ${kt4_catalogue_dir}/printout.dbf)
add_custom_command(
  OUTPUT ${kt4_catalogue_outputs}
  COMMAND kt4_catalogues ${PROJECT_SOURCE_DIR}/data/catalogues ${kt4_catalogue_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${kt4_factor_tables} ${kt4_catalogue_dir}
  COMMAND kt4_catalogues --layouts ${kt4_layout_source} ${kt4_catalogue_dir}/printout.dbf
  DEPENDS kt4_catalogues ${kt4_catalogue_sources} ${kt4_factor_tables} ${kt4_layout_source}
  COMMENT "Bearing catalogue and print layout tables"
  VERBATIM)
add_custom_target(catalogues ALL DEPENDS ${kt4_catalogue_outputs})
add_dependencies(wkt4 catalogues)
foreach(t test_drive test_drive_gui test_shell test_shell_gui bench_drive test_graphics)
  if(TARGET ${t})
    add_dependencies(${t} catalogues)
  endif()
endforeach()
if(TARGET test_drive)
  target_compile_definitions(test_drive PRIVATE KT4_CATALOGUE_TOOL="$<TARGET_FILE:kt4_catalogues>"
                             KT4_CATALOGUE_SOURCES="${PROJECT_SOURCE_DIR}/data/catalogues")
endif()
if(TARGET test_graphics)
  target_compile_definitions(test_graphics PRIVATE KT4_LAYOUT_SOURCE="${kt4_layout_source}")
endif()
