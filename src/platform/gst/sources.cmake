# The graph service on GStreamer behind the "DirectShow" back end: one playbin per graph,
# its video through GstVideoOverlay, missing decoders named through pbutils; the seek
# preview's video-only playbin hands its frames over through an appsink.
pkg_check_modules(GST_PLAYBACK REQUIRED IMPORTED_TARGET gstreamer-video-1.0 gstreamer-pbutils-1.0 gstreamer-app-1.0)
target_sources(vistrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GstShared.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GstGraph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewGraph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeedFilter.cpp
)
target_link_libraries(vistrel_platform PRIVATE PkgConfig::GST_PLAYBACK)
