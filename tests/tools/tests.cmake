vistrel_add_test(tst_vistrel_info tools/tst_vistrel_info.cpp unit)
add_dependencies(tst_vistrel_info vistrel-info)
vistrel_add_test(tst_include_layers tools/tst_include_layers.cpp unit)
# The installed layout, staged with DESTDIR; desktop-file-validate and appstreamcli check it.
vistrel_add_test(tst_install tools/tst_install.cpp unit)
add_dependencies(tst_install vistrel vistrel-info vistrel_desktop_files vistrel_repair_tool)
target_compile_definitions(tst_install PRIVATE CMAKE_COMMAND="${CMAKE_COMMAND}" CPACK_COMMAND="${CMAKE_CPACK_COMMAND}" VISTREL_DATADIR="${CMAKE_INSTALL_DATADIR}"
  VISTREL_HELPER_DIR="${VISTREL_HELPER_DIR}" VISTREL_HELPERS_FROM_PROGRAM="${VISTREL_HELPERS_FROM_PROGRAM}/")
