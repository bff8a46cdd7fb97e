// Web backend: sound through Web Audio. The page's own thread pulls the
// core's mix in blocks and schedules them back to back on an AudioContext at
// the engine's rate, a few blocks ahead of what is heard. Everything runs on
// that one thread, so the audio lock has nothing to keep out.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>

#include "platform/audio_output.h"

namespace veltra::platform {
namespace {

// 43 ms a block: timers late by a frame or two still find the next one queued.
constexpr int kBlockFrames = 2048;

AudioPull gPull = nullptr;
std::int16_t gBlock[kBlockFrames * kAudioChannels];

}  // namespace
}  // namespace veltra::platform

// The next block of the mix, for the page's feeder.
extern "C" EMSCRIPTEN_KEEPALIVE const std::int16_t* veltra_audio_block() {
  veltra::platform::gPull(veltra::platform::gBlock, veltra::platform::kBlockFrames);
  return veltra::platform::gBlock;
}

// A page may hand the output a context of its own (Module.veltraAudioContext,
// a function), as the tests do with an OfflineAudioContext; that one gets its
// whole length scheduled at the start. Returns 0, 1 for a browser without Web
// Audio, 2 when it refuses a context, or the rate of a context at another one.
EM_JS(int, veltra_audio_open, (int rate, int frames), {
  var Context = typeof AudioContext != "undefined" ? AudioContext : null;
  var make = Module.veltraAudioContext;
  if (!make && !Context) return 1;
  try {
    var context = make ? make() : new Context({sampleRate : rate});
  } catch (e) {
    return 2;
  }
  if (context.sampleRate != rate) return context.sampleRate;
  Module.veltraAudio = {context : context, frames : frames, rate : rate, next : 0, timer : 0};
  return 0;
});

EM_JS(void, veltra_audio_start, (), {
  var a = Module.veltraAudio;
  var context = a.context, offline = !!context.startRendering;
  function feed() {
    var now = context.currentTime;
    if (a.next < now) a.next = now;
    var until = offline ? context.length / a.rate : now + 0.2;
    while (a.next < until) {
      var at = _veltra_audio_block() >> 1;
      var buffer = context.createBuffer(2, a.frames, a.rate);
      var left = buffer.getChannelData(0), right = buffer.getChannelData(1);
      for (var i = 0; i < a.frames; i++) {
        left[i] = HEAP16[at + 2 * i] / 32768;
        right[i] = HEAP16[at + 2 * i + 1] / 32768;
      }
      if (Module.veltraAudioHeard) Module.veltraAudioHeard.push(HEAP16.slice(at, at + 2 * a.frames));
      var source = context.createBufferSource();
      source.buffer = buffer;
      source.connect(context.destination);
      source.start(a.next);
      a.next += a.frames / a.rate;
    }
  }
  feed();
  if (offline) return;
  a.timer = setInterval(feed, 20);
  // Browsers start sound only after the user has done something on the page.
  var resume = function() { context.resume(); };
  resume();
  [ "pointerdown", "keydown" ].forEach(function(kind) { document.addEventListener(kind, resume, {once : true}); });
});

EM_JS(void, veltra_audio_close, (), {
  var a = Module.veltraAudio;
  if (!a) return;
  clearInterval(a.timer);
  if (a.context.close) a.context.close();
  Module.veltraAudio = null;
});

namespace veltra::platform {

bool openAudioOutput(AudioPull pull, std::string& why) {
  const int refused = veltra_audio_open(kAudioRate, kBlockFrames);
  if (refused == 1) why = "this browser has no Web Audio";
  if (refused == 2) why = "the browser refused a Web Audio context";
  if (refused > 2) why = "the page's sound runs at " + std::to_string(refused) + " Hz";
  if (refused) return false;
  gPull = pull;
  return true;
}

void startAudioOutput() { veltra_audio_start(); }
void lockAudio() {}
void unlockAudio() {}
void closeAudioOutput() { veltra_audio_close(); }

}  // namespace veltra::platform
