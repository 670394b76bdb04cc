vistrel_add_test(tst_settings_store app/tst_settings_store.cpp unit)
vistrel_add_test(tst_window_placement app/tst_window_placement.cpp unit)
vistrel_add_test(tst_startup app/tst_startup.cpp gui)
vistrel_add_test(tst_main_window app/tst_main_window.cpp gui)
# Copies through the copy engine: links once the engine is in.
vistrel_add_test(tst_file_operations_window app/tst_file_operations_window.cpp gui)
foreach(name tst_startup tst_main_window tst_file_operations_window)
  target_link_libraries(${name} PRIVATE vistrel_ui)
endforeach()
