# Issue 6: end-to-end playback under Xvfb with real sound into the PulseAudio null sink.
vistrel_add_test(tst_e2e_playback e2e/tst_e2e_playback.cpp e2e)
target_link_libraries(tst_e2e_playback PRIVATE vistrel_ui)
