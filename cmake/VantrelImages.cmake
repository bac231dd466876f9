# Images drawn by our own generator (tools/imagegen) at build time and compiled into
# the libraries that show them.
#
# vantrel_images(<target> OWNER <owner>): draws the owner's images (1x and @2x), packs
# them as Qt resources under ":/tovar/<owner>/" and adds a source that registers each
# image by name in NS_Utilities::ImageRegistry when <target> loads. <owner> is one of
# the owners of tools/imagegen/ImageTable.h: widgets, mainlayer, commondetail,
# partdetail, dialogs. The images are drawn again only when the generator (or its
# table) changes.
#
# At the end of the configuration the generator's test and the contact sheet
# (<build>/images/contact-sheet.png, with the images assembled as the views place them
# beside it as mockup-*.png) are added when tests are built.

set(VANTREL_IMAGEGEN_DIR ${CMAKE_CURRENT_LIST_DIR}/../tools/imagegen)
get_filename_component(VANTREL_IMAGEGEN_DIR ${VANTREL_IMAGEGEN_DIR} ABSOLUTE)
set(VANTREL_IMAGES_DIR ${CMAKE_BINARY_DIR}/images)

# The generator is a plain host tool: no sanitizers and no fuzzing instrumentation
# (it only draws), and optimised so that drawing stays quick in Debug builds.
function(_vantrel_imagegen_tool)
  if(TARGET vantrel_imagegen)
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${VANTREL_IMAGEGEN_DIR}/*.cpp ${VANTREL_IMAGEGEN_DIR}/*.h)
  add_executable(vantrel_imagegen ${srcs})
  target_link_libraries(vantrel_imagegen PRIVATE Qt6::Gui)
  set_target_properties(vantrel_imagegen PROPERTIES
    COMPILE_OPTIONS "-Wall;-Wextra;-Wno-unused-parameter;-O2"
    LINK_OPTIONS ""
    AUTOMOC OFF
    RUNTIME_OUTPUT_DIRECTORY ${VANTREL_IMAGES_DIR})
endfunction()

function(vantrel_images target)
  cmake_parse_arguments(V "" "OWNER" "" ${ARGN})
  if(NOT V_OWNER)
    message(FATAL_ERROR "vantrel_images(${target}): OWNER missing")
  endif()
  _vantrel_imagegen_tool()
  set(out ${VANTREL_IMAGES_DIR}/${V_OWNER})
  set(registration ${out}/ImageRegistration_${V_OWNER}.cpp)
  set(resources ${out}/qrc_vantrel_images_${V_OWNER}.cpp)
  add_custom_command(
    OUTPUT ${registration} ${resources}
    BYPRODUCTS ${out}/images.qrc
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:vantrel_imagegen> --owner ${V_OWNER} --out ${out}
    COMMAND Qt6::rcc --no-compress --name vantrel_images_${V_OWNER} -o ${resources} ${out}/images.qrc
    DEPENDS vantrel_imagegen
    COMMENT "Drawing the ${V_OWNER} images"
    VERBATIM)
  set_source_files_properties(${registration} ${resources} PROPERTIES
    GENERATED ON SKIP_AUTOMOC ON SKIP_AUTOUIC ON SKIP_AUTORCC ON)
  target_sources(${target} PRIVATE ${registration} ${resources})
  set_property(GLOBAL APPEND PROPERTY VANTREL_IMAGE_TARGETS "${V_OWNER}=${target}")
endfunction()

# Runs once every folder has been read: the contact sheet and the test, which loads
# every owning library and checks what it registered against the table.
function(_vantrel_images_finish)
  if(NOT TARGET vantrel_imagegen OR NOT VANTREL_TESTS)
    return()
  endif()
  set(sheet ${VANTREL_IMAGES_DIR}/contact-sheet.png)
  add_custom_command(
    OUTPUT ${sheet}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:vantrel_imagegen> --sheet ${sheet}
    DEPENDS vantrel_imagegen
    COMMENT "Drawing the image contact sheet"
    VERBATIM)
  add_custom_target(vantrel_images_sheet DEPENDS ${sheet})

  get_property(pairs GLOBAL PROPERTY VANTREL_IMAGE_TARGETS)
  set(rows "")
  set(libs "")
  foreach(pair ${pairs})
    string(REPLACE "=" ";" parts ${pair})
    list(GET parts 0 owner)
    list(GET parts 1 target)
    string(APPEND rows "    {\"${owner}\", \"$<TARGET_FILE:${target}>\"},\n")
    list(APPEND libs ${target})
  endforeach()
  file(GENERATE OUTPUT ${VANTREL_IMAGES_DIR}/ImageLibraries.h CONTENT
"// Written by CMake: the libraries that embed images, by owner.
#pragma once
struct ImageLibrary { const char* owner; const char* path; };
inline constexpr ImageLibrary kImageLibraries[] = {
${rows}};
")
  vantrel_tests(imagegen_tests DIRS ${VANTREL_IMAGEGEN_DIR}/tests LINKS vantrel_kxe21_utilities)
  if(TARGET imagegen_tests)
    # The generator's drawing and writing are tested too, built here with the
    # sanitizers of the tests.
    file(GLOB generator CONFIGURE_DEPENDS ${VANTREL_IMAGEGEN_DIR}/*.cpp)
    list(REMOVE_ITEM generator ${VANTREL_IMAGEGEN_DIR}/main.cpp)
    target_sources(imagegen_tests PRIVATE ${generator})
    target_include_directories(imagegen_tests PRIVATE ${VANTREL_IMAGES_DIR})
    add_dependencies(imagegen_tests ${libs} vantrel_images_sheet)
  endif()
endfunction()
cmake_language(DEFER CALL _vantrel_images_finish)
