# Video: the layout of the video window is pure geometry, so it lives with the window-free
# code in vistrel_core and its tests need no widgets; the video window and its presenter
# go into vistrel_ui.
target_sources(vistrel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VideoLayout.cpp
)
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VideoWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VideoPresenter.cpp
)
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SeekPreview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SeekPreviewWindow.cpp
)
