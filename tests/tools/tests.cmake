vistrel_add_test(tst_vistrel_info tools/tst_vistrel_info.cpp unit)
add_dependencies(tst_vistrel_info vistrel-info)
vistrel_add_test(tst_include_layers tools/tst_include_layers.cpp unit)
