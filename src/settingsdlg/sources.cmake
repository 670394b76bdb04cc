# The settings dialog: its rules are window-free and go with the core; the dialog itself
# into vistrel_ui.
target_sources(vistrel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsForm.cpp
)
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsDialog.cpp
)
