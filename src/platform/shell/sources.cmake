# The file operations' stand-ins: the copy engine and its dialogs, launching programs,
# the file manager's D-Bus calls.
target_sources(vistrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FsOps.cpp
)
target_sources(vistrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UriList.cpp
)
