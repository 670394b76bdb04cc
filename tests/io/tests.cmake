vistrel_add_test(tst_file64 io/tst_file64.cpp unit)
