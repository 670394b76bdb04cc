# Playback engine (subsystem 3). The MCI command service lives in vistrel_platform, so the
# MCI back end, the player front and the MCI test panel go into vistrel_ui.
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/basMCIvoice1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/basMCIvoice1Service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/basMPlay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MciTestPanel.cpp
)
# Part 3.3: the title play control and its access test.
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TitlePlayControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitlePlayEvents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessLevel.cpp
)
