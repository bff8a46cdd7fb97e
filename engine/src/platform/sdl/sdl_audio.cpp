// SDL2 sound output: one audio device whose callback runs the core's mixer.
// SDL holds the device's lock around each callback.
#include <SDL.h>

#if defined(__linux__)
#include <dlfcn.h>
#endif

#include "platform/audio_output.h"

namespace veltra::platform {
namespace {

constexpr int kBlockFrames = 1024;

SDL_AudioDeviceID gDevice = 0;
AudioPull gPull = nullptr;

void SDLCALL fill(void*, Uint8* stream, int bytes) {
  gPull(reinterpret_cast<std::int16_t*>(stream), bytes / static_cast<int>(kAudioChannels * sizeof(std::int16_t)));
}

// With no sound card, libasound prints several lines of its own before SDL
// gives up on it; the engine's one line says the same. SDL opens the same
// library instance by name, so a silent handler set here holds for it too.
#if defined(__linux__)
void ignoreAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif

void quietAlsa() {
#if defined(__linux__)
  static const bool once = [] {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return false;
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
      set(ignoreAlsa);
    }
    return true;  // kept loaded, or the handler would go with it
  }();
  (void)once;
#endif
}

}  // namespace

bool openAudioOutput(AudioPull pull, std::string& why) {
  quietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    why = SDL_GetError();
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = kAudioRate;
  want.format = AUDIO_S16SYS;
  want.channels = kAudioChannels;
  want.samples = kBlockFrames;
  want.callback = fill;
  gPull = pull;
  // No changes allowed: SDL converts to whatever the device takes, so the
  // callback always fills exactly this format.
  gDevice = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (gDevice == 0) {
    why = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

void startAudioOutput() { SDL_PauseAudioDevice(gDevice, 0); }

void lockAudio() { SDL_LockAudioDevice(gDevice); }

void unlockAudio() { SDL_UnlockAudioDevice(gDevice); }

void closeAudioOutput() {
  if (gDevice == 0) return;
  SDL_CloseAudioDevice(gDevice);
  gDevice = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace veltra::platform
