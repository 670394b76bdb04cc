vistrel_add_test(tst_settings_store app/tst_settings_store.cpp unit)
# Where an installed copy looks for its repair tool, relative to the program.
target_compile_definitions(tst_settings_store PRIVATE VISTREL_HELPERS_FROM_PROGRAM="${VISTREL_HELPERS_FROM_PROGRAM}/")
vistrel_add_test(tst_window_placement app/tst_window_placement.cpp unit)
vistrel_add_test(tst_startup app/tst_startup.cpp gui)
vistrel_add_test(tst_main_window app/tst_main_window.cpp gui)
vistrel_add_test(tst_main_window_keys app/tst_main_window_keys.cpp gui)
foreach(name tst_startup tst_main_window tst_main_window_keys)
  target_link_libraries(${name} PRIVATE vistrel_ui)
endforeach()
vistrel_add_test(tst_destination_lists app/tst_destination_lists.cpp gui)
target_link_libraries(tst_destination_lists PRIVATE vistrel_ui)

# Open with, Properties and the folder menu's entries in the running window.
vistrel_add_test(tst_shell_menus app/tst_shell_menus.cpp gui)
target_link_libraries(tst_shell_menus PRIVATE vistrel_ui)

# The volume knobs against a PulseAudio of the test's own, with real titles playing.
vistrel_add_test(tst_main_window_volume app/tst_main_window_volume.cpp gui)
target_link_libraries(tst_main_window_volume PRIVATE vistrel_ui)
