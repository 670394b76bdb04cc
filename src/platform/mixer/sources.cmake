# The volume mixer on the sound server's client library (PulseAudio or PipeWire's pulse
# server).
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
target_sources(vistrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PulseMixer.cpp
)
target_link_libraries(vistrel_platform PRIVATE PkgConfig::PULSE)
