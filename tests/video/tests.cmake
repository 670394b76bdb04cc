vistrel_add_test(tst_video_layout video/tst_video_layout.cpp unit)
