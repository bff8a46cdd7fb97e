// The public sound API without an output to hear: the table's handle rules,
// files that cannot be loaded, and hostile numbers. What reaches an output
// is sound_output_test's.
#include "audio/sound.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fresh_engine.h"
#include "sound_files.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace {

class Sound : public FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
#if !defined(_WIN32)
    // Never a real device from a unit test: SDL's silent one, which still pulls.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
#endif
    veltra::audio::detail::resetSound();
  }
  void TearDown() override { veltra::audio::detail::resetSound(); }
};
using SoundDeathTest = Sound;

const veltra::audio::Clip* slot(const vLSound& s) { return veltra::audio::soundTable().at(s.handle); }

}  // namespace

TEST_F(Sound, LoadsFilesIntoTheTableInHandleOrder) {
  vLSound wav, ogg;
  wav.LoadSound(writeSoundFile("one.wav", wavBytes(24000, 1, 16, {0, 100, 200})).c_str());
  ogg.LoadSound(writeSoundFile("chord.sound", chordOgg()).c_str());  // told by its bytes, not its name
  EXPECT_EQ(wav.handle, 0);
  EXPECT_EQ(ogg.handle, 1);
  ASSERT_NE(slot(wav), nullptr);
  ASSERT_NE(slot(ogg), nullptr);
  EXPECT_EQ(slot(wav)->samples, (std::vector<std::int16_t>{0, 50, 100, 150, 200, 200}));
  EXPECT_EQ(slot(ogg)->frames, 19200u);
  vLSound copy = wav;  // copies name the same sound
  EXPECT_EQ(slot(copy), slot(wav));
}

TEST_F(Sound, FilesThatCannotPlayLeaveAnEmptySilentSlotAndOneLine) {
  namespace fs = std::filesystem;
  const std::string dir = testPath("a_folder.wav");
  fs::create_directories(dir);
  const std::string empty = writeSoundFile("empty.wav", {});
  const std::string huge = writeSoundFile("huge.wav", wavBytes(48000, 1, 16, {1, 2}));
  fs::resize_file(huge, (std::uintmax_t{256} << 20) + 1);  // sparse: costs no disk
  const std::string png = writeSoundFile("picture.wav", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
  const std::string wide = writeSoundFile("wide.wav", [] {
    Bytes b = wavBytes(48000, 1, 16, {1, 2});
    b[34] = 32;  // 32-bit samples
    return b;
  }());
  struct Case {
    const char* file;
    std::string line;
  } cases[] = {
      {nullptr, "veltra: cannot load sound \"\": no file name given"},
      {"no/such/sound.wav", "veltra: cannot load sound \"no/such/sound.wav\": "},
      {dir.c_str(), "veltra: cannot load sound \"" + dir + "\": it is a folder"},
      {empty.c_str(), "veltra: cannot load sound \"" + empty + "\": the file is empty"},
      {huge.c_str(), "veltra: cannot load sound \"" + huge + "\": the file is larger than 256 MiB"},
      {png.c_str(), "veltra: cannot load sound \"" + png + "\": neither a WAV nor an Ogg Vorbis file"},
      {wide.c_str(), "veltra: cannot load sound \"" + wide + "\": 32-bit samples (only 8 or 16-bit plays)"},
  };
#if !defined(_WIN32)
  // A FIFO with no writer would block a plain open for ever.
  const std::string fifo = testPath("fifo.wav");
  fs::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EXIT(
      {
        vLSound s;
        s.LoadSound(fifo.c_str());
        std::exit(slot(s) == nullptr ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "not a regular file");
#endif
  int expected = 0;
  for (const Case& c : cases) {
    ::testing::internal::CaptureStderr();
    vLSound s;
    s.LoadSound(c.file);
    s.Play(1, 0);
    s.Loop(1);
    const bool playing = s.Playing();
    s.Stop();
    const std::vector<std::string> said = veltraLines(::testing::internal::GetCapturedStderr());
    EXPECT_EQ(s.handle, expected++);
    EXPECT_EQ(slot(s), nullptr);
    EXPECT_FALSE(playing);
    // One line, and no output opened for a silent slot.
    ASSERT_EQ(said.size(), 1u) << c.line;
    EXPECT_EQ(said[0].rfind(c.line, 0), 0u) << said[0];
  }
  fs::remove(huge);
}

TEST_F(SoundDeathTest, BadHandlesEndTheProcess) {
  vLSound loaded;
  loaded.LoadSound(nullptr);  // an empty slot is still a handed-out handle
  loaded.Play(1, 0);
  vLSound unset, past;
  past.handle = 1;
  EXPECT_DEATH(unset.Play(1, 0), "veltra: Play: the vLSound has no sound \\(handle -1\\): call LoadSound\\(\\) first");
  EXPECT_DEATH(unset.Loop(1), "veltra: Loop: the vLSound has no sound");
  EXPECT_DEATH(past.Stop(), "veltra: bad sound handle 1 \\(the table holds 1\\)");
  EXPECT_DEATH(past.Playing(), "veltra: bad sound handle 1");
}
