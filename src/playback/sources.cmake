# Playback: the MCI voice, the player front over both back ends, the GStreamer back end, the MCI test panel, and
# the title play control with its access test. The MCI command service itself is in
# vistrel_platform.
target_sources(vistrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MciVoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MciVoiceService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlayerFront.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DirectShowPlayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MciTestPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitlePlayControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitlePlayEvents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessLevel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TempCopies.cpp
)
