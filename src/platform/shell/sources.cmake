# The file operations' stand-ins: the copy engine and its dialogs, launching programs,
# the file manager's D-Bus calls.
target_sources(vistrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FsOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Launcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../desktop/FileManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UriList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TransferDialogs.cpp
)
target_link_libraries(vistrel_platform PRIVATE Qt6::Widgets)
