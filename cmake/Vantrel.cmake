# Helpers shared by every library folder.

# vantrel_sources(<out-var> <dir>...): the .cpp and .h files directly in each folder.
function(vantrel_sources out)
  set(files)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# vantrel_library(<target> <SHARED|MODULE> <export-macro-base> DIRS <dir>... LINKS <lib>...)
# Builds one deliverable with hidden visibility and a generated export header
# named <target>_export.h that defines <export-macro-base>_EXPORT.
function(vantrel_library target kind base)
  cmake_parse_arguments(V "" "" "DIRS;LINKS;PRIVATE_LINKS" ${ARGN})
  if(NOT V_DIRS)
    set(V_DIRS ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  vantrel_sources(srcs ${V_DIRS})
  add_library(${target} ${kind} ${srcs})
  generate_export_header(${target} BASE_NAME ${base}
    EXPORT_FILE_NAME ${CMAKE_CURRENT_BINARY_DIR}/${target}_export.h)
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${V_LINKS} PRIVATE ${V_PRIVATE_LINKS})
endfunction()

# vantrel_tests(<name> DIRS <dir>... LINKS <lib>...): one GoogleTest executable from
# the .cpp files of the given tests folders, each case its own CTest entry.
function(vantrel_tests name)
  if(NOT VANTREL_TESTS)
    return()
  endif()
  cmake_parse_arguments(V "" "" "DIRS;LINKS" ${ARGN})
  vantrel_sources(srcs ${V_DIRS})
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE vantrel_testmain ${V_LINKS})
  target_include_directories(${name} PRIVATE ${V_DIRS})
  # Tests read the data folder copied into the bundle.
  add_dependencies(${name} vantrel_data)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
