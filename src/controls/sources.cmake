# Subsystem 6, controls and input: Part 6.1, the position rail.
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clsMmRails.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PositionRail.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PositionRailWidget.cpp
)
