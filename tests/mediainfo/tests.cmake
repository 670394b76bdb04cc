# Every tst_*.cpp here is one window-free test program.
file(GLOB MEDIAINFO_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/mediainfo/tst_*.cpp)
foreach(source ${MEDIAINFO_TESTS})
  get_filename_component(name ${source} NAME_WE)
  vistrel_add_test(${name} ${source} unit)
endforeach()
