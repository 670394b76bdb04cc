# The real program under Xvfb.
vistrel_add_test(tst_e2e_startup e2e/tst_e2e_startup.cpp e2e e2e/X11Client.cpp)
vistrel_add_test(tst_e2e_placement e2e/tst_e2e_placement.cpp e2e e2e/X11Client.cpp)
foreach(name tst_e2e_startup tst_e2e_placement)
  target_link_libraries(${name} PRIVATE PkgConfig::XCB)
  add_dependencies(${name} vistrel)
endforeach()
# The main window in-process under Xvfb; playback with real sound into the null sink.
vistrel_add_test(tst_e2e_window e2e/tst_e2e_window.cpp e2e)
vistrel_add_test(tst_e2e_playback e2e/tst_e2e_playback.cpp e2e)
foreach(name tst_e2e_window tst_e2e_playback)
  target_link_libraries(${name} PRIVATE vistrel_ui)
endforeach()
