# The dialogs add-on beyond what every add-on gets: its Designer forms, the help
# manual it opens (drawn at build time into the bundle's Resources folder), and its
# tests, which run the add-on inside the real component in the substitute host.
set(dialogs_addon vantrel_kxe21_editor_dialogs_addon)
set_target_properties(${dialogs_addon} PROPERTIES AUTOUIC ON)

# The manual: our own text laid out by the toolkit's PDF writer. The writer is a plain
# build tool (no sanitizers: it only lays out text).
add_executable(vantrel_manualwriter ${CMAKE_CURRENT_LIST_DIR}/manual/ManualWriter.cpp)
target_link_libraries(vantrel_manualwriter PRIVATE Qt6::Gui)
set_target_properties(vantrel_manualwriter PROPERTIES
  COMPILE_OPTIONS "-Wall;-Wextra;-Wno-unused-parameter"
  LINK_OPTIONS ""
  AUTOMOC OFF
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/manual)
set(dialogs_manual ${VANTREL_BUNDLE_DIR}/Resources/Manual.pdf)
add_custom_command(
  OUTPUT ${dialogs_manual}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTREL_BUNDLE_DIR}/Resources
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:vantrel_manualwriter> ${CMAKE_CURRENT_LIST_DIR}/manual/Manual.txt ${dialogs_manual}
  DEPENDS vantrel_manualwriter ${CMAKE_CURRENT_LIST_DIR}/manual/Manual.txt
  COMMENT "Writing the help manual"
  VERBATIM)
add_custom_target(vantrel_manual ALL DEPENDS ${dialogs_manual})
add_dependencies(${dialogs_addon} vantrel_manual)

if(VANTREL_TESTS)
  vantrel_tests(dialogs_tests DIRS ${CMAKE_CURRENT_LIST_DIR}/tests
    LINKS vantrel_genericeditor_objects vantrel_host_core ${addon_links})
  if(TARGET dialogs_tests)
    add_dependencies(dialogs_tests vantrel_kxe21_editor_mainLayer_addon vantrel_kxe21_editor_commondetail_addon
                     vantrel_kxe21_editor_partdetail_addon ${dialogs_addon} vantrel_host)
    target_compile_definitions(dialogs_tests PRIVATE
      VANTREL_ADDON_DIR="${VANTREL_ADDON_DIR}"
      VANTREL_HOST_PROGRAM="$<TARGET_FILE:vantrel_host>"
      VANTREL_MANUAL_PATH="${dialogs_manual}")
  endif()
  # The dialogs' own logic against a fake memory API and voice data, for memory models
  # the shipped data folder never gives: the add-on's sources compiled once more.
  vantrel_sources(dialogs_srcs ${CMAKE_CURRENT_LIST_DIR})
  vantrel_tests(dialogs_unit_tests DIRS ${CMAKE_CURRENT_LIST_DIR}/tests/unit LINKS ${addon_links})
  if(TARGET dialogs_unit_tests)
    target_sources(dialogs_unit_tests PRIVATE ${dialogs_srcs})
    set_target_properties(dialogs_unit_tests PROPERTIES AUTOUIC ON)
  endif()
endif()
