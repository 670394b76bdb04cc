vistrel_add_test(tst_settings_form settingsdlg/tst_settings_form.cpp unit)
# The dialog in the running window, over a settings file of the test's own.
vistrel_add_test(tst_settings_dialog settingsdlg/tst_settings_dialog.cpp gui)
target_link_libraries(tst_settings_dialog PRIVATE vistrel_ui)
