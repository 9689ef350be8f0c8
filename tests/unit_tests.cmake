# The portable unit tests: the system's code over the fake platform. The
# host build (tests/CMakeLists.txt) and the Windows build (tests/windows)
# read this one list, each with its own qz_unit_test(name sources...),
# sources relative to tests/, and QZ_GTEST naming its GoogleTest library.

# The whole presentation on the simulated platform, for the run tests.
add_library(qz_sim STATIC ${QZ_TESTS_DIR}/presentation/sim.cpp)
target_link_libraries(qz_sim PUBLIC ${QZ_SYSTEM} qz_platform_fake qz_packlib ${QZ_GTEST})

qz_unit_test(test_cmdline app/test_cmdline.cpp)
qz_unit_test(test_archive
  archive/test_directory.cpp
  archive/test_decoder.cpp
  archive/test_packlib.cpp
  archive/reference_decoder.cpp
)
target_link_libraries(test_archive PRIVATE qz_packlib)
qz_unit_test(test_fade demo/test_fade.cpp)
qz_unit_test(test_draw demo/test_draw.cpp)
qz_unit_test(test_random demo/test_random.cpp)
qz_unit_test(test_ticktimer timing/test_ticktimer.cpp)
qz_unit_test(test_sequencer timing/test_sequencer.cpp)
qz_unit_test(test_sound sound/test_sound.cpp)
qz_unit_test(test_winproc app/test_winproc.cpp)
qz_unit_test(test_video_open video/test_video_open.cpp)
qz_unit_test(test_video_frame video/test_video_frame.cpp)
qz_unit_test(test_timeline presentation/test_timeline.cpp)
target_link_libraries(test_timeline PRIVATE qz_sim)
qz_unit_test(test_startup presentation/test_startup.cpp)
target_link_libraries(test_startup PRIVATE qz_sim)
