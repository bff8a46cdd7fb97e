// Once warmed up, a frame allocates nothing: not in the engine's draw path,
// not in polling the window, not in the rules step, not in a whole Brickfall
// frame, not in the sound output's callback, not in a physics step once the
// mass table has stopped growing. Counted are the C++ allocations (global
// operator new, replaced here) and SDL's own (through its memory functions).
#include <SDL.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "audio/sound.h"
#include "brickfall_names.h"
#include "game.h"
#include "headless.h"
#include "physics_scenes.h"
#include "rules.h"
#include "sound_files.h"
#include "tables.h"

namespace {
bool gCounting = false;
long gAllocations = 0;

SDL_malloc_func gMalloc;
SDL_calloc_func gCalloc;
SDL_realloc_func gRealloc;
SDL_free_func gFree;

void* countedMalloc(size_t size) {
  gAllocations += gCounting;
  return gMalloc(size);
}
void* countedCalloc(size_t n, size_t size) {
  gAllocations += gCounting;
  return gCalloc(n, size);
}
void* countedRealloc(void* p, size_t size) {
  gAllocations += gCounting;
  return gRealloc(p, size);
}

// SDL's allocations go through counting wrappers around its own functions, so
// memory from before the switch is freed by the same free as ever.
void countSdlAllocations() {
  static const bool once = [] {
    SDL_GetMemoryFunctions(&gMalloc, &gCalloc, &gRealloc, &gFree);
    return SDL_SetMemoryFunctions(countedMalloc, countedCalloc, countedRealloc, gFree) == 0;
  }();
  ASSERT_TRUE(once);
}

template <typename Frame>
long allocationsOver(int frames, Frame frame) {
  for (int i = 0; i < 10; ++i) frame(i);  // caches and queues fill on the first frames
  gAllocations = 0;
  gCounting = true;
  for (int i = 10; i < 10 + frames; ++i) frame(i);
  gCounting = false;
  return gAllocations;
}

std::uint32_t opaque(int, int) { return 0xFF808080u; }
}  // namespace

// Every form of the global allocation functions, so that all of them, in
// this program and the libraries it loads, pair up with the same free.
void* operator new(std::size_t size) {
  gAllocations += gCounting;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t align) {
  gAllocations += gCounting;
  const std::size_t a = static_cast<std::size_t>(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  gAllocations += gCounting;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

using FrameAllocations = Headless;

TEST_F(FrameAllocations, NoneInTheEngineDrawPath) {
  countSdlAllocations();
  vLMaterial block, sheet, font;
  block.LoadTexture(writePng("alloc_block", 40, 20, opaque).c_str());
  block.CreateSprite();
  sheet.LoadTexture(writePng("alloc_sheet", 40, 20, opaque).c_str());
  sheet.CreateSprite();
  font.CreateFontA(16, true, "Verdana");
  char text[] = "Points: 42";
  // Unrotated, unscaled and unmirrored, as the game draws: SDL's software
  // renderer builds temporary surfaces for every rotated, scaled or flipped
  // copy, whoever asks for it, and maps a texture's blits again whenever its
  // tint changes (so the tinted sheet is a texture of its own).
  const long count = allocationsOver(100, [&](int) {
    device.Clear(10, 20, 30);
    device.BeginRender();
    device.SetTexture(block);
    for (int i = 0; i < 160; ++i)
      device.Draw(block, vLVector2{static_cast<float>(i % 16 * 40 + 20), static_cast<float>(i / 16 * 20 + 10), 0},
                  vLVector2{20, 10, 0}, 0, 12, 12, 12);
    device.DrawT(font.font, text, vLVector2{10, 10, 0}, 255, 0, 0);
    // A frame of a sheet, tinted and faded, and a score measured to centre it.
    device.DrawEx(sheet, vLVector2{300, 300, 0}, vLVector2{5, 5, 0}, 0, vLVector2{1, 1, 0}, vLRect{10, 5, 10, 10}, 255,
                  128, 0, 200);
    const vLVector2 size = device.MeasureT(font.font, text);
    device.DrawT(font.font, text, vLVector2{320 - size.x / 2, 40, 0}, 255, 255, 255);
    device.EndRender();
    device.DrawAll();
  });
  EXPECT_EQ(count, 0);
}

TEST(FrameAllocationsOfTheGame, NoneInTheRulesStep) {
  brickfall::Rules rules;
  rules.FillBlocks();
  rules.PlaceBall();
  int drawn = 0;
  const std::function<void(const brickfall::Block&)> draw = [&](const brickfall::Block&) { ++drawn; };
  const long count = allocationsOver(2000, [&](int frame) { rules.Step(static_cast<float>(frame % 640), draw); });
  EXPECT_EQ(count, 0);
  EXPECT_GT(rules.points, 0);  // blocks were hit on the way
}

TEST_F(FrameAllocations, NoneInABrickfallFrameWhileThePointsStand) {
  countSdlAllocations();
  // The game opens its pictures by relative name.
  ASSERT_EQ(chdir(::testing::TempDir().c_str()), 0);
  for (const char* name : {brickfall::kBlockPicture, brickfall::kPaddlePicture, brickfall::kBallPicture}) {
    const std::string made = writePng(name, 40, 20, opaque);
    ASSERT_EQ(std::rename(made.c_str(), name), 0);
  }
  brickfall::DeviceEngine engine;
  brickfall::Game game(engine);
  ASSERT_TRUE(game.start(headless::sharedWindow()));
  // A new score is a new line of text to rasterise, so frames with hits are left out.
  long count = 0;
  int frames = 0;
  allocationsOver(1, [&](int) { game.frame(320); });
  for (int i = 0; i < 300; ++i) {
    const int points = game.rules().points;
    gAllocations = 0;
    gCounting = true;
    game.frame(200 + i);
    gCounting = false;
    if (game.rules().points != points) continue;
    count += gAllocations;
    ++frames;
  }
  EXPECT_GT(frames, 250);
  EXPECT_EQ(count, 0);
}

TEST(FrameAllocationsOfTheWindow, NoneInPollingWithKeysAndButtonsComingIn) {
  countSdlAllocations();
  headless::useHeadlessDisplay();
  const vLWindow window = vLOpenWindow("polled", 320, 200);
  ASSERT_NE(window, nullptr);
  const Uint32 id = SDL_GetWindowID(window);
  // Events are queued outside the count: only what polling does is counted.
  const auto queue = [id](int frame) {
    SDL_Event key{};
    key.type = frame % 2 ? SDL_KEYUP : SDL_KEYDOWN;
    key.key.windowID = id;
    key.key.keysym.sym = frame % 4 < 2 ? SDLK_LEFT : SDLK_a;
    SDL_PushEvent(&key);
    SDL_Event click{};
    click.type = frame % 2 ? SDL_MOUSEBUTTONUP : SDL_MOUSEBUTTONDOWN;
    click.button.windowID = id;
    click.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&click);
  };
  long count = 0;
  int presses = 0;
  for (int frame = 0; frame < 110; ++frame) {
    queue(frame);
    gAllocations = 0;
    gCounting = frame >= 10;
    ASSERT_TRUE(vLPollEvents());
    gCounting = false;
    count += gAllocations;
    presses += vLKeyPressed(vLKeyArrowLeft) + vLKeyPressed('A') + vLMousePressed(vLMouseLeft);
  }
  vLCloseWindow();
  EXPECT_EQ(count, 0);
  EXPECT_EQ(presses, 110) << "every press came through";
}

TEST(FrameAllocationsOfSound, NoneInTheOutputCallbackMixing32Voices) {
  countSdlAllocations();
  // SDL's disk driver pulls as fast as the mixer goes, so many blocks pass.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", testPath("capture.raw").c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  veltra::audio::detail::resetSound();
  std::vector<vLSound> sounds(32);
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    const int rate = i % 3 == 0 ? 48000 : i % 3 == 1 ? 44100 : 22050;
    const Bytes wav =
        wavBytes(rate, 1 + static_cast<int>(i % 2), 16,
                 tools::tone(200000 + 10000 * static_cast<int>(i), rate / 4, rate, tools::Shape::kSaw, 3000));
    sounds[i].LoadSound(writeSoundFile("voice" + std::to_string(i) + ".wav", wav).c_str());
  }
  auto frames = [] {
    veltra::audio::SoundBatch batch;
    return veltra::audio::framesMixed();
  };
  {
    veltra::audio::SoundBatch batch;
    for (vLSound& s : sounds) s.Loop(0.2f);
  }
  while (frames() < 48000) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  gAllocations = 0;
  gCounting = true;
  const std::uint64_t from = frames();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const std::uint64_t mixed = frames() - from;
  gCounting = false;
  veltra::audio::detail::resetSound();
  EXPECT_GT(mixed, 48000u);
  EXPECT_EQ(gAllocations, 0);
}

// The separation pass keeps its buffers from step to step, sized for the mass
// count: scenes of every shape, stepped again from their starts, allocate
// nothing, however their grids, cells and contacts come out.
TEST(FrameAllocationsOfThePhysics, NoneInAStepOnceTheTableStopsGrowing) {
  constexpr int kMasses = 1000;
  const scenes::Masses starts[] = {scenes::spread(kMasses, 3), scenes::mixed(kMasses, 3), scenes::pile(kMasses),
                                   scenes::spread(kMasses, 3, 5, 30)};
  veltra::detail::resetTables();
  for (int i = 0; i < kMasses; ++i) vLPhysX().NewPhysX();
  PhysXInertion(0.5f);
  const auto steps = [&](int) {
    for (const scenes::Masses& start : starts) {
      std::copy(start.begin(), start.end(), veltra::massTable().data());
      for (int step = 0; step < 6; ++step) PhysXUpdate();
    }
  };
  EXPECT_EQ(allocationsOver(2, steps), 0);
  veltra::detail::resetTables();
}
