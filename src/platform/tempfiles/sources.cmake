# Temporary copies on the file system (names, copy with a sparse tail, wipe, stale copies,
# read-ahead) and running the repair tool.
target_sources(vistrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TempFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunAndWait.cpp
)
