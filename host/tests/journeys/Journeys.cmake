# The journeys: the whole editor driven as a musician drives it, through the substitute
# host with the component opened from its library and its add-ons from their folder,
# the simulated instrument and surface on the in-process bus. One test per journey.
vantrel_tests(host_journeys DIRS ${CMAKE_CURRENT_LIST_DIR}
  LINKS vantrel_host_core vantrel_kxe21_console vantrel_kxe21_widgets vantrel_kxe21_memapi vantrel_kxe21_utilities)
if(TARGET host_journeys)
  # The host program's dependencies: the component, every add-on and the data folder.
  add_dependencies(host_journeys vantrel_host)
  target_compile_definitions(host_journeys PRIVATE
    VANTREL_HOST_COMPONENT_PATH="$<TARGET_FILE:vantrel_kxe21_genericeditor>")
endif()
