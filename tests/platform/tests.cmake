# Platform stand-ins (DESIGN.md section 3).

# MCI command service: the parser alone, then the devices on the real engines.
vistrel_add_test(tst_mci_command ${CMAKE_CURRENT_LIST_DIR}/tst_mci_command.cpp unit)
vistrel_add_test(tst_mci_service ${CMAKE_CURRENT_LIST_DIR}/tst_mci_service.cpp unit)
foreach(name tst_mci_command tst_mci_service)
  target_link_libraries(${name} PRIVATE vistrel_platform)
endforeach()
# QTEST_MAIN makes a QGuiApplication: the service asks it for the platform's name.
target_link_libraries(tst_mci_service PRIVATE Qt6::Gui)

# The video windows: native X11 children of a real window under Xvfb.
vistrel_add_test(tst_mci_video ${CMAKE_CURRENT_LIST_DIR}/tst_mci_video.cpp e2e)
target_link_libraries(tst_mci_video PRIVATE vistrel_platform Qt6::Gui PkgConfig::XCB)
