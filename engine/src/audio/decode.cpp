#include "audio/decode.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "audio/ogg.h"
#include "audio/resample.h"
#include "audio/wav.h"

namespace veltra::audio {

bool readSoundFile(const char* file, std::vector<std::uint8_t>& bytes, std::string& why) {
  if (!file) {
    why = "no file name given";
    return false;
  }
  struct stat info;
  if (stat(file, &info) != 0) {
    why = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    why = "not a regular file";
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

bool decodeSound(const std::uint8_t* data, std::size_t size, Clip& clip, DecodeNotes& notes) {
  Pcm pcm;
  bool ok;
  if (looksLikeWav(data, size)) {
    ok = decodeWav(data, size, pcm, notes);
  } else if (looksLikeOgg(data, size)) {
    ok = decodeOgg(data, size, pcm, notes);
  } else {
    notes.error = "neither a WAV nor an Ogg Vorbis file";
    return false;
  }
  if (!ok) return false;
  clip = resampleToOutput(pcm);
  return true;
}

}  // namespace veltra::audio
