# Subsystem 6, controls and input.
vistrel_add_test(tst_part_6_1_rail controls/tst_part_6_1_rail.cpp gui)
target_link_libraries(tst_part_6_1_rail PRIVATE vistrel_ui)
