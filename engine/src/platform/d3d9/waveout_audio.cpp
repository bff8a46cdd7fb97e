// waveOut sound output: four blocks of 1024 frames queued on the device. A
// thread of ours refills each block as the device hands it back, running the
// core's mixer inside the critical section that lockAudio() takes.
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <string>

#include "platform/audio_output.h"

namespace veltra::platform {
namespace {

constexpr int kBlocks = 4;
constexpr int kBlockFrames = 1024;

struct Output {
  HWAVEOUT device = nullptr;
  HANDLE blockDone = nullptr;  // set by the device as it finishes each block
  HANDLE thread = nullptr;
  volatile LONG quit = 0;
  AudioPull pull = nullptr;
  WAVEHDR headers[kBlocks];
  std::int16_t samples[kBlocks][kBlockFrames * kAudioChannels];
};

Output gOut;
CRITICAL_SECTION gLock;
bool gLockMade = false;

void queue(int block) {
  EnterCriticalSection(&gLock);
  gOut.pull(gOut.samples[block], kBlockFrames);
  LeaveCriticalSection(&gLock);
  waveOutWrite(gOut.device, &gOut.headers[block], sizeof(WAVEHDR));
}

DWORD WINAPI feed(void*) {
  // Paused while the first blocks go in, or the device could run dry
  // between two of them and play a gap of silence.
  for (int b = 0; b < kBlocks; ++b) queue(b);
  waveOutRestart(gOut.device);
  // Blocks come back in the order they were queued.
  int next = 0;
  while (!gOut.quit) {
    WaitForSingleObject(gOut.blockDone, INFINITE);
    while (!gOut.quit && (gOut.headers[next].dwFlags & WHDR_DONE)) {
      queue(next);
      next = (next + 1) % kBlocks;
    }
  }
  return 0;
}

}  // namespace

bool openAudioOutput(AudioPull pull, std::string& why) {
  if (!gLockMade) {
    InitializeCriticalSection(&gLock);
    gLockMade = true;
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kAudioChannels;
  format.nSamplesPerSec = kAudioRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = kAudioChannels * 2;
  format.nAvgBytesPerSec = kAudioRate * format.nBlockAlign;
  gOut.blockDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const MMRESULT result =
      waveOutOpen(&gOut.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(gOut.blockDone), 0, CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    char text[MAXERRORLENGTH];
    why = waveOutGetErrorTextA(result, text, sizeof text) == MMSYSERR_NOERROR
              ? text
              : "waveOut error " + std::to_string(result);
    CloseHandle(gOut.blockDone);
    gOut = Output();
    return false;
  }
  gOut.pull = pull;
  waveOutPause(gOut.device);
  for (int b = 0; b < kBlocks; ++b) {
    WAVEHDR& h = gOut.headers[b];
    h = WAVEHDR{};
    h.lpData = reinterpret_cast<LPSTR>(gOut.samples[b]);
    h.dwBufferLength = sizeof gOut.samples[b];
    waveOutPrepareHeader(gOut.device, &h, sizeof h);
  }
  return true;
}

void startAudioOutput() {
  gOut.quit = 0;
  gOut.thread = CreateThread(nullptr, 0, feed, nullptr, 0, nullptr);
  // A late refill is heard as a gap: the feeder goes before the game's work.
  if (gOut.thread) SetThreadPriority(gOut.thread, THREAD_PRIORITY_TIME_CRITICAL);
}

void lockAudio() { EnterCriticalSection(&gLock); }

void unlockAudio() { LeaveCriticalSection(&gLock); }

void closeAudioOutput() {
  if (!gOut.device) return;
  InterlockedExchange(&gOut.quit, 1);
  SetEvent(gOut.blockDone);
  if (gOut.thread) {
    WaitForSingleObject(gOut.thread, INFINITE);
    CloseHandle(gOut.thread);
  }
  waveOutReset(gOut.device);
  for (WAVEHDR& h : gOut.headers) waveOutUnprepareHeader(gOut.device, &h, sizeof h);
  waveOutClose(gOut.device);
  CloseHandle(gOut.blockDone);
  gOut = Output();
}

}  // namespace veltra::platform
