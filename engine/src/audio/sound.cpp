// vLSound and the master volume: the sound table, the one mixer, and the
// output opened at the first play. The mixer runs on the output's thread;
// every change to it from the game's thread holds the output's lock.
#include "audio/sound.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "audio/decode.h"
#include "audio/mixer.h"
#include "files.h"
#include "log.h"
#include "platform/audio_output.h"
#include "veltra/veltra.h"

namespace veltra::audio {
namespace {

enum class Output { kClosed, kOpen, kFailed };

Mixer gMixer;  // trivially destructible: the output may still pull during exit
Output gOutput = Output::kClosed;
int gBatchDepth = 0;
bool gLocked = false;        // the outermost batch holds the platform's lock
bool gStartPending = false;  // opened inside a batch: starts when it ends

// Reads a regular file of at most kMaxFileBytes; false with `why` otherwise.
bool readSoundFile(const char* file, std::vector<std::uint8_t>& bytes, std::string& why) {
  if (!file) {
    why = message::kNoFileName;
    return false;
  }
  why = unreadableFile(file);
  if (!why.empty()) return false;
  struct stat info;
  if (stat(file, &info) != 0) {
    why = std::strerror(errno);
    return false;
  }
  if (info.st_size <= 0) {
    why = "the file is empty";
    return false;
  }
  if (static_cast<std::uint64_t>(info.st_size) > kMaxFileBytes) {
    why = "the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB";
    return false;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file, "rb"), std::fclose);
  if (!in) {
    why = std::strerror(errno);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(info.st_size));
  // A file that changed size since stat() is refused rather than read in part.
  if (std::fread(bytes.data(), 1, bytes.size(), in.get()) != bytes.size() || std::fgetc(in.get()) != EOF) {
    why = "the file changed size while being read";
    return false;
  }
  return true;
}

void pull(std::int16_t* out, int frames) { gMixer.mix(out, frames); }

// Opens the output on first use; false (after one line, the first time) when
// there is none, and then every sound stays silent.
bool haveOutput() {
  if (gOutput == Output::kClosed) {
    std::string why;
    if (platform::openAudioOutput(pull, why)) {
      gOutput = Output::kOpen;
      gStartPending = true;
    } else {
      gOutput = Output::kFailed;
      warn("no sound output (%s): sounds play silently", why.empty() ? "no reason given" : why.c_str());
    }
  }
  return gOutput == Output::kOpen;
}

void start(const char* call, int handle, float volume, float pan, bool loop) {
  const Clip* clip = soundTable().at(handle, call);
  if (!clip || clip->frames == 0 || !haveOutput()) return;
  Mixer::Start started;
  {
    SoundBatch batch;
    started = gMixer.play(handle, *clip, voiceGains(volume, pan), loop);
  }
  if (started == Mixer::Start::kReplacedOldest) {
    warnOnce("sound.voices", "more than %d sounds at once: each new one now cuts the oldest short", kMaxVoices);
  } else if (started == Mixer::Start::kNoVoiceFree) {
    warnOnce("sound.loops", "%d loops play at once: sounds started beyond them stay silent", kMaxVoices);
  }
}

}  // namespace

Table<Clip*>& soundTable() {
  static auto* table = new Table<Clip*>({"sound", "vLSound", "LoadSound"});
  return *table;
}

SoundBatch::SoundBatch() {
  if (gBatchDepth++ == 0 && gOutput == Output::kOpen) {
    platform::lockAudio();
    gLocked = true;
  }
}

SoundBatch::~SoundBatch() {
  if (--gBatchDepth > 0) return;
  if (gLocked) platform::unlockAudio();
  gLocked = false;
  if (gStartPending && gOutput == Output::kOpen) platform::startAudioOutput();
  gStartPending = false;
}

std::uint64_t framesMixed() { return gMixer.framesMixed(); }

namespace detail {
void resetSound() {
  if (gOutput == Output::kOpen) platform::closeAudioOutput();
  gOutput = Output::kClosed;
  gStartPending = false;
  gMixer = Mixer();
  veltra::Table<Clip*>& table = soundTable();
  for (std::size_t i = 0; i < table.size(); ++i) delete table.at(static_cast<int>(i));
  table.reset();
}
}  // namespace detail

}  // namespace veltra::audio

using namespace veltra::audio;

void vLSound::LoadSound(const char* file) {
  veltra::Table<Clip*>& table = soundTable();
  handle = table.append(nullptr);
  const char* name = file ? file : "";
  std::string why;
  try {
    std::vector<std::uint8_t> bytes;
    DecodeNotes notes;
    Clip clip;
    if (!readSoundFile(file, bytes, why)) {
      // Falls through to the one line below.
    } else if (!decodeSound(bytes.data(), bytes.size(), clip, notes)) {
      why = notes.error;
    } else {
      if (!notes.warning.empty()) veltra::warn("sound \"%s\": %s", name, notes.warning.c_str());
      table.at(handle) = new Clip(std::move(clip));
      return;
    }
  } catch (const std::bad_alloc&) {
    why = "out of memory";
  }
  veltra::warn("cannot load sound \"%s\": %s", name, why.c_str());
}

void vLSound::Play(float volume, float pan) { start("Play", handle, volume, pan, false); }

void vLSound::Loop(float volume) { start("Loop", handle, volume, 0.0f, true); }

void vLSound::Stop() {
  soundTable().at(handle, "Stop");
  SoundBatch batch;
  gMixer.stop(handle);
}

bool vLSound::Playing() const {
  soundTable().at(handle, "Playing");
  SoundBatch batch;
  return gMixer.playing(handle);
}

void vLSoundVolume(float volume) {
  SoundBatch batch;
  gMixer.setMaster(masterGain(volume));
}
