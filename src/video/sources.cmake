# Video: the layout of the video window (pure geometry, so it lives with the window-free
# code in vistrel_core and its tests need no widgets); the video window itself goes into
# vistrel_ui.
target_sources(vistrel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VideoLayout.cpp
)
