foreach(name tst_part_2_1_mediatype tst_part_2_1_fixtures tst_part_2_2_mediafiletest tst_part_2_3_mpegaudio
             tst_part_2_4_riff tst_part_2_5_display tst_part_2_6_mpegstream tst_part_2_7_quicktime
             tst_part_2_8_asf_flv_real tst_part_2_9_other_formats tst_mediainfo_robustness)
  vistrel_add_test(${name} mediainfo/${name}.cpp unit)
endforeach()
