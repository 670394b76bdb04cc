# Platform stand-ins.

# MCI command service: the parser alone, then the devices on the real engines.
vistrel_add_test(tst_mci_command platform/tst_mci_command.cpp unit)
vistrel_add_test(tst_mci_service platform/tst_mci_service.cpp unit)
foreach(name tst_mci_command tst_mci_service)
  target_link_libraries(${name} PRIVATE vistrel_platform)
endforeach()
# QTEST_MAIN makes a QGuiApplication: the service asks it for the platform's name.
target_link_libraries(tst_mci_service PRIVATE Qt6::Gui)

# The video windows: native X11 children of a real window under Xvfb.
vistrel_add_test(tst_mci_video platform/tst_mci_video.cpp e2e)
target_link_libraries(tst_mci_video PRIVATE vistrel_platform Qt6::Gui PkgConfig::XCB vistrel_x11_client)

# Keeping the machine awake over the screen saver, the portal or logind.
vistrel_add_test(tst_keep_awake platform/tst_keep_awake.cpp unit)
target_link_libraries(tst_keep_awake PRIVATE vistrel_platform Qt6::DBus)

# Open with: programs and desktop entries started for real, with a recorder script.
vistrel_add_test(tst_launcher platform/tst_launcher.cpp unit)
target_link_libraries(tst_launcher PRIVATE vistrel_platform)

# File names as URI lists (drag and drop, clipboard).
vistrel_add_test(tst_uri_list platform/tst_uri_list.cpp unit)
target_link_libraries(tst_uri_list PRIVATE vistrel_platform)

# The copy engine through its file system seam, on real tmpfs, bind and read-only mounts
# (the test enters a private mount namespace itself: as root, or through a user namespace),
# and its dialogs (offscreen).
vistrel_add_test(tst_copy_engine platform/tst_copy_engine.cpp unit)
target_link_libraries(tst_copy_engine PRIVATE vistrel_platform Qt6::Widgets)
