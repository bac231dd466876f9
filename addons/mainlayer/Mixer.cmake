# The mixer's tests: the add-on library loaded as the component loads it, bound to a
# memory-API object of the tests' own, and the real component with its add-ons in the
# substitute host on the simulated instrument, the host program's screenshot mode too.
if(VANTREL_TESTS)
  vantrel_tests(mixer_tests DIRS ${CMAKE_CURRENT_LIST_DIR}/tests
    LINKS vantrel_genericeditor_objects vantrel_host_core ${addon_links})
  if(TARGET mixer_tests)
    add_dependencies(mixer_tests vantrel_kxe21_editor_mainLayer_addon vantrel_kxe21_editor_commondetail_addon
                     vantrel_kxe21_editor_partdetail_addon vantrel_host)
    target_compile_definitions(mixer_tests PRIVATE
      VANTREL_ADDON_DIR="${VANTREL_ADDON_DIR}"
      VANTREL_HOST_PROGRAM="$<TARGET_FILE:vantrel_host>")
  endif()
endif()
