# The position rail: its controller, the main window's rail logic, the rail row and the
# fullscreen rail strip; the keyboard's commands; the play speed rail and its list.
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/KeyCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RailControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PositionRail.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PositionRailWidget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FullscreenRailWidget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeedRail.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeedRailControl.cpp
)
# The volume knobs: their logic and the frame that draws them.
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VolumeKnobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VolumeFrameWidget.cpp
)
