// The sound output with no platform behind it: sounds load, and every play
// is silent after the front end's one line.
#include "platform/audio_output.h"

namespace veltra::platform {

bool openAudioOutput(AudioPull, std::string& why) {
  why = "this Veltra is built without a sound output (VELTRA_BACKEND=none)";
  return false;
}

// Never called: the output never opens.
void startAudioOutput() {}
void lockAudio() {}
void unlockAudio() {}
void closeAudioOutput() {}

}  // namespace veltra::platform
