# The MCI command service: libmpv devices, the GStreamer "sequencer" for MIDI, native X11
# child windows for the video.
pkg_check_modules(MPV REQUIRED IMPORTED_TARGET mpv)
target_sources(vistrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MciCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MciDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MciService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MpvDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SequencerDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpareEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VideoChildWindow.cpp
)
target_link_libraries(vistrel_platform PRIVATE PkgConfig::MPV)
