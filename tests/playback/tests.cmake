# Playback engine (subsystem 3). Parts 3.1 and 3.2 run against a recording MCI sender;
# tst_part_3_1_real_mci drives the real MCI command service.
vistrel_add_test(tst_part_3_1_mcivoice playback/tst_part_3_1_mcivoice.cpp unit)
vistrel_add_test(tst_part_3_2_playerfront playback/tst_part_3_2_playerfront.cpp unit)
vistrel_add_test(tst_part_3_1_mcitestpanel playback/tst_part_3_1_mcitestpanel.cpp gui)
vistrel_add_test(tst_part_3_1_real_mci playback/tst_part_3_1_real_mci.cpp unit)
foreach(name tst_part_3_1_mcivoice tst_part_3_2_playerfront tst_part_3_1_mcitestpanel tst_part_3_1_real_mci)
  target_link_libraries(${name} PRIVATE vistrel_ui)
endforeach()
# Part 3.3 in a real main window: a scripted MCI device, then the real MCI service.
vistrel_add_test(tst_part_3_3_titleplay playback/tst_part_3_3_titleplay.cpp gui)
target_link_libraries(tst_part_3_3_titleplay PRIVATE vistrel_ui Qt6::DBus)
