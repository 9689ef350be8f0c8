// The Linux library loader and the sound binding against a real test
// library: this program is built into a directory of its own with the test
// library beside it as "fmod.dll".
#include "base/syserror.h"
#include "platform/plat_module.h"
#include "sound/sound.h"
#include "tests/sound/testlib_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int FullLibraryIdentity = 1;

// Slot numbers the test library logs.
enum { Init = 0, Close = 1, LoadSongMemory = 5, GetOrder = 6, GetRow = 7, SetHwnd = 8,
       LoadMpeg = 10, LoadMpegMemory = 11, PlaySound = 12, GetCurrentPosition = 13, StopSound = 14 };

TEST(Loader, FindsABareNameInTheProgramsOwnDirectory) {
  PlatModule m = PlatModuleLoad("fmod.dll");
  ASSERT_NE(m, nullptr);
  auto identity = reinterpret_cast<int (*)()>(PlatModuleSymbol(m, "TestLibIdentity"));
  ASSERT_NE(identity, nullptr);
  EXPECT_EQ(identity(), FullLibraryIdentity);
  PlatModuleFree(m);
  EXPECT_EQ(PlatModuleLoad("no_such_library.dll"), nullptr);
}

TEST(Loader, TurnsTheDecoratedSpellingIntoThePlainOne) {
  PlatModule m = PlatModuleLoad("fmod.dll");
  ASSERT_NE(m, nullptr);
  void* plain = PlatModuleSymbol(m, "FSOUND_Sample_LoadMpegMemory");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(PlatModuleSymbol(m, "_FSOUND_Sample_LoadMpegMemory@16"), plain);
  EXPECT_EQ(PlatModuleSymbol(m, "_FSOUND_Close@0"), PlatModuleSymbol(m, "FSOUND_Close"));
  // Only "_" + name + "@" + digits is decorated; anything else is asked as written.
  EXPECT_EQ(PlatModuleSymbol(m, "_FSOUND_Close@"), nullptr);
  EXPECT_EQ(PlatModuleSymbol(m, "_FSOUND_Close@0x"), nullptr);
  EXPECT_EQ(PlatModuleSymbol(m, "FSOUND_Close@0"), nullptr);
  EXPECT_EQ(PlatModuleSymbol(m, "_FSOUND_Close"), nullptr);
  EXPECT_EQ(PlatModuleSymbol(m, "_FSOUND_Missing@4"), nullptr);
  // A name too long to spell out is missing, not shortened into another.
  std::string longName = "_FSOUND_Close" + std::string(400, 'x') + "@0";
  EXPECT_EQ(PlatModuleSymbol(m, longName.c_str()), nullptr);
  PlatModuleFree(m);
}

TEST(Loader, FallsBackToTheSystemSearch) {
  PlatModule m = PlatModuleLoad("libm.so.6");
  ASSERT_NE(m, nullptr);
  auto cosine = reinterpret_cast<double (*)(double)>(PlatModuleSymbol(m, "_cos@8"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  PlatModuleFree(m);
}

class RealTestLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Loaded());
    lib.Reset();
    SystemError = ErrorNone;
  }
  TestLibView lib;
};

TEST_F(RealTestLibrary, NormalRunPassesTheDocumentedArguments) {
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0x42));
  static unsigned char music[100];
  ASSERT_TRUE(SoundLoadMemory(music, sizeof music));
  EXPECT_EQ(SoundPosition(), 0u);
  SoundPlay();
  EXPECT_EQ(SoundPosition(), 4410u);
  SoundStop();
  SoundClose();
  EXPECT_EQ(SystemError, ErrorNone);

  std::vector<TestLibCall> calls = lib.Calls();
  EXPECT_EQ(lib.Slots(), (std::vector<int>{Init, SetHwnd, LoadMpegMemory, GetCurrentPosition, PlaySound,
                                           GetCurrentPosition, StopSound, StopSound, Close}));
  ASSERT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[0].a, 44100);
  EXPECT_EQ(calls[0].b, 32);
  EXPECT_EQ(calls[0].c, 0);
  EXPECT_EQ(calls[1].a, 0x42);
  EXPECT_EQ(calls[2].a, -1);
  EXPECT_EQ(calls[2].b, reinterpret_cast<intptr_t>(music));
  EXPECT_EQ(calls[2].c, 100);
  EXPECT_EQ(calls[3].a, 0) << "before play the position asks channel 0";
  EXPECT_EQ(calls[4].a, -1);
  EXPECT_NE(calls[4].b, 0);
  EXPECT_EQ(calls[5].a, 3) << "the channel play returned";
  EXPECT_EQ(calls[6].a, 3);
  EXPECT_EQ(calls[7].a, 3);
}

TEST_F(RealTestLibrary, ModuleFamilyPositionIsOrderAndRow) {
  ASSERT_TRUE(SoundOpen(0, 0));
  static unsigned char song[16];
  ASSERT_TRUE(SoundLoadMemory(song, sizeof song));
  EXPECT_EQ(SoundPosition(), 785u);  // order 3, row 17
  SoundClose();
}

TEST_F(RealTestLibrary, InitialisationResultOtherThanOneIsRefused) {
  for (int result : {2, 3}) {
    lib.Reset();
    lib.SetInitResult(result);
    SystemError = ErrorNone;
    EXPECT_FALSE(SoundOpen(SoundTypeMpeg, 0));
    EXPECT_EQ(SystemError, ErrorSound);
    SoundClose();
    EXPECT_EQ(lib.Slots(), (std::vector<int>{Init, StopSound, Close})) << "init result " << result;
  }
}

TEST_F(RealTestLibrary, RefusedMusicGivesItsCode) {
  lib.SetRefuse(1);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  EXPECT_FALSE(SoundLoadMemory("x", 1));
  EXPECT_EQ(SystemError, ErrorSound);
  EXPECT_FALSE(SoundLoadFile("music.mp3"));
  EXPECT_EQ(SystemError, ErrorSoundFile);
  SoundClose();
  EXPECT_EQ(lib.Slots(), (std::vector<int>{Init, SetHwnd, LoadMpegMemory, LoadMpeg, StopSound, Close}));
}

}  // namespace
