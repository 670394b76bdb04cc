# The real program under Xvfb.
vistrel_add_test(tst_e2e_launch e2e/tst_e2e_launch.cpp e2e)
target_link_libraries(tst_e2e_launch PRIVATE vistrel_x11_client)
add_dependencies(tst_e2e_launch vistrel)
# The main window in-process under Xvfb; playback with real sound into the null sink.
vistrel_add_test(tst_e2e_window e2e/tst_e2e_window.cpp e2e)
vistrel_add_test(tst_e2e_playback e2e/tst_e2e_playback.cpp e2e)
vistrel_add_test(tst_e2e_speed e2e/tst_e2e_speed.cpp e2e)
vistrel_add_test(tst_e2e_seek_preview e2e/tst_e2e_seek_preview.cpp e2e)
foreach(name tst_e2e_window tst_e2e_playback tst_e2e_speed tst_e2e_seek_preview)
  target_link_libraries(${name} PRIVATE vistrel_ui)
endforeach()
target_link_libraries(tst_e2e_playback PRIVATE vistrel_x11_client PkgConfig::GST)
# The file manager through real key presses (xdotool), its question box, and its clipboard
# read by another program (xclip).
vistrel_add_test(tst_e2e_file_manager e2e/tst_e2e_file_manager.cpp e2e)
target_link_libraries(tst_e2e_file_manager PRIVATE vistrel_ui)
# The separate video window on two monitors: a display of its own (two_monitors.sh), so it
# does not take the common display's lock; it plays into the null sink (tests/CMakeLists.txt).
add_executable(tst_e2e_video e2e/tst_e2e_video.cpp)
target_link_libraries(tst_e2e_video PRIVATE Qt6::Test vistrel_test_support vistrel_ui vistrel_x11_client)
add_test(NAME tst_e2e_video COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/two_monitors.sh $<TARGET_FILE:tst_e2e_video>)
set_tests_properties(tst_e2e_video PROPERTIES LABELS e2e TIMEOUT 300)
# The real program's MPRIS player on the test session bus.
vistrel_add_test(tst_e2e_mpris e2e/tst_e2e_mpris.cpp e2e)
target_link_libraries(tst_e2e_mpris PRIVATE Qt6::DBus)
add_dependencies(tst_e2e_mpris vistrel)
# Temporary copies and the AVI repair in the main window, heard in the null sink.
vistrel_add_test(tst_e2e_temp_copies e2e/tst_e2e_temp_copies.cpp e2e)
target_link_libraries(tst_e2e_temp_copies PRIVATE vistrel_ui)
add_dependencies(tst_e2e_temp_copies vistrel_repair_tool)
