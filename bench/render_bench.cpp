// Drawing through the engine against the same frame drawn with raw SDL calls,
// cached text against text rasterised every frame, one whole Brickfall frame
// and the rules step alone. Headless: the offscreen video driver and the
// software renderer, the game's own pictures. A frame ends with a flush of
// SDL's command queue instead of a present.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game.h"
#include "rules.h"
#include "veltra/veltra.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

SDL_Window* window() {
  static SDL_Window* w = [] {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return static_cast<SDL_Window*>(nullptr);
    return SDL_CreateWindow("bench", 0, 0, kWidth, kHeight, SDL_WINDOW_HIDDEN);
  }();
  return w;
}

// The one device of the process, made on first use.
vLDevice& device() {
  static vLDevice d;
  static const bool made = [] {
    if (!window() || !d.CreateDevice(window())) {
      std::fprintf(stderr, "render_bench: no headless device: %s\n", SDL_GetError());
      std::exit(1);
    }
    return true;
  }();
  (void)made;
  return d;
}

SDL_Renderer* renderer() {
  device();
  return SDL_GetRenderer(window());
}

// N sprites of the block picture over the window, pivot at their centre.
std::vector<vLVector2> placements(int n) {
  std::vector<vLVector2> at;
  for (int i = 0; i < n; ++i)
    at.push_back(vLVector2{static_cast<float>(20 + (i * 37) % (kWidth - 40)),
                           static_cast<float>(10 + (i * 53 / 7) % (kHeight - 20)), 0});
  return at;
}

void EngineDraw(benchmark::State& state) {
  vLDevice& d = device();
  vLMaterial block;
  block.LoadTexture("block.png");
  block.CreateSprite();
  const std::vector<vLVector2> at = placements(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    d.Clear(10, 20, 30);
    d.BeginRender();
    d.SetTexture(block);
    for (const vLVector2& p : at) d.Draw(block, p, vLVector2{20, 10, 0}, 0, 12, 12, 12);
    d.EndRender();
    SDL_RenderFlush(renderer());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(EngineDraw)->Arg(16)->Arg(160)->Arg(1000)->Unit(benchmark::kMicrosecond);

void RawSdlDraw(benchmark::State& state) {
  SDL_Renderer* r = renderer();
  SDL_Texture* block = IMG_LoadTexture(r, "block.png");
  SDL_SetTextureBlendMode(block, SDL_BLENDMODE_BLEND);
  int w = 0, h = 0;
  SDL_QueryTexture(block, nullptr, nullptr, &w, &h);
  const std::vector<vLVector2> at = placements(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    SDL_SetRenderDrawColor(r, 10, 20, 30, 255);
    SDL_RenderClear(r);
    for (const vLVector2& p : at) {
      const SDL_FRect dst{p.x - 20, p.y - 10, static_cast<float>(w), static_cast<float>(h)};
      SDL_RenderCopyF(r, block, nullptr, &dst);
    }
    SDL_RenderFlush(r);
  }
  SDL_DestroyTexture(block);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RawSdlDraw)->Arg(16)->Arg(160)->Arg(1000)->Unit(benchmark::kMicrosecond);

void EngineDrawT(benchmark::State& state) {
  vLDevice& d = device();
  vLMaterial font;
  font.CreateFontA(16, true, "Verdana");
  char text[] = "Points: 1234";
  for (auto _ : state) {
    d.DrawT(font.font, text, vLVector2{10, 10, 0}, 255, 0, 0);
    SDL_RenderFlush(renderer());
  }
}
BENCHMARK(EngineDrawT)->Unit(benchmark::kMicrosecond);

// The font file fontconfig gives for the face, as the engine looks it up.
std::string fontFile(const char* face) {
  std::string path;
  FcInit();
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

void RasteriseTextEachFrame(benchmark::State& state) {
  SDL_Renderer* r = renderer();
  if (!TTF_WasInit()) TTF_Init();
  TTF_Font* font = TTF_OpenFont(fontFile("Verdana:bold").c_str(), 16);
  if (!font) {
    state.SkipWithError("no font");
    return;
  }
  for (auto _ : state) {
    SDL_Surface* line = TTF_RenderUTF8_Blended(font, "Points: 1234", SDL_Color{255, 0, 0, 255});
    SDL_Texture* texture = SDL_CreateTextureFromSurface(r, line);
    const SDL_Rect dst{10, 10, line->w, line->h};
    SDL_RenderCopy(r, texture, nullptr, &dst);
    SDL_RenderFlush(r);
    SDL_DestroyTexture(texture);
    SDL_FreeSurface(line);
  }
  TTF_CloseFont(font);
}
BENCHMARK(RasteriseTextEachFrame)->Unit(benchmark::kMicrosecond);

// The real engine for the game, except that a frame ends in a flush, not a present.
class NoPresentEngine final : public brickfall::Engine {
 public:
  bool createDevice(vLWindow w) override { return inner_.createDevice(w); }
  void lighting(std::uint32_t value) override { inner_.lighting(value); }
  void zAxis(bool enable) override { inner_.zAxis(enable); }
  void createFont(vLMaterial& m, int height, bool flag, const char* face) override {
    inner_.createFont(m, height, flag, face);
  }
  void loadTexture(vLMaterial& m, const char* file) override { inner_.loadTexture(m, file); }
  void createSprite(vLMaterial& m) override { inner_.createSprite(m); }
  void clear(int red, int green, int blue) override { inner_.clear(red, green, blue); }
  void beginRender() override { inner_.beginRender(); }
  void endRender() override { inner_.endRender(); }
  void drawAll() override { SDL_RenderFlush(renderer()); }
  void setTexture(vLMaterial m) override { inner_.setTexture(m); }
  void draw(vLMaterial m, vLVector2 position, vLVector2 pivot, float angle, int a, int b, int c) override {
    inner_.draw(m, position, pivot, angle, a, b, c);
  }
  void drawText(int font, const char* text, vLVector2 position, int red, int green, int blue) override {
    inner_.drawText(font, text, position, red, green, blue);
  }

 private:
  brickfall::DeviceEngine inner_;
};

// Hit blocks come back, so every frame draws and tests the whole wall.
void keepWall(brickfall::Rules& rules, int& points) {
  if (rules.points == points) return;
  for (brickfall::Block& b : rules.blocks) b.alive = true;
  points = rules.points;
}

void BrickfallFrame(benchmark::State& state) {
  device();
  NoPresentEngine engine;
  brickfall::Game game(engine);
  if (!game.start(window())) {
    state.SkipWithError("the game did not start");
    return;
  }
  int points = 0, frame = 0;
  for (auto _ : state) {
    game.frame(320 + (frame++ % 200) - 100);
    keepWall(game.rules(), points);
  }
}
BENCHMARK(BrickfallFrame)->Unit(benchmark::kMicrosecond);

void RulesStep(benchmark::State& state) {
  brickfall::Rules rules;
  rules.FillBlocks();
  rules.PlaceBall();
  const std::function<void(const brickfall::Block&)> none;
  int points = 0, frame = 0;
  for (auto _ : state) {
    rules.Step(static_cast<float>(320 + (frame++ % 200) - 100), none);
    keepWall(rules, points);
  }
}
BENCHMARK(RulesStep);

}  // namespace

int main(int argc, char** argv) {
  // The game opens its pictures by relative name, from the folder they are made in.
  if (chdir(BRICKFALL_DIR) != 0) {
    std::perror("render_bench: " BRICKFALL_DIR);
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
