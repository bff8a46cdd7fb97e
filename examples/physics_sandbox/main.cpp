// Physics sandbox: a rope held with LinkForced, balls pushing each other
// apart, a gear turned with Draw, and the mass and contact counts and the
// step time in DrawT.
// Click to drop a ball; Escape or closing the window quits.
//
//   physics_sandbox [--frames N] [--screenshot FILE]
// runs N frames (default: until closed) and saves the last one as a PNG.
#include <SDL.h>
#include <veltra/veltra.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scene.h"

namespace {

struct Options {
  long frames = -1;  // -1: until the window closes
  const char* screenshot = nullptr;
};

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
      char* end = nullptr;
      options.frames = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || options.frames < 1) return false;
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && hasValue) {
      options.screenshot = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

// The pictures lie beside the program, wherever it is started from.
std::string besideProgram(const char* name) {
  char* base = SDL_GetBasePath();
  std::string path = base ? std::string(base) + name : std::string(name);
  SDL_free(base);
  return path;
}

vLMaterial picture(const char* name) {
  vLMaterial m;
  m.LoadTexture(besideProgram(name).c_str());
  m.CreateSprite();
  return m;
}

void drawMasses(vLDevice& device, const vLMaterial& material, const std::vector<vLPhysX>& masses, float pivot) {
  device.SetTexture(material);
  for (const vLPhysX& m : masses) device.Draw(material, {m.GetX(), m.GetY(), 0}, {pivot, pivot, 0}, 0, 0, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: %s [--frames N] [--screenshot FILE]\n", argv[0]);
    return 2;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "physics_sandbox: cannot start SDL: %s\n", SDL_GetError());
    return 1;
  }
  // For OpenGL, so that the device does not make SDL replace the window; plain where there is none.
  const auto make = [](Uint32 flags) {
    return SDL_CreateWindow("Veltra physics sandbox", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, sandbox::kWidth,
                            sandbox::kHeight, SDL_WINDOW_SHOWN | flags);
  };
  SDL_Window* window = make(SDL_WINDOW_OPENGL);
  if (!window) window = make(0);
  vLDevice device;
  if (!window || !device.CreateDevice(window)) {
    std::fprintf(stderr, "physics_sandbox: cannot open a window with a device: %s\n", SDL_GetError());
    return 1;
  }
  device.Lighting(1);
  device.ZAxis(false);

  const vLMaterial ball = picture("sandbox_ball.png"), bead = picture("sandbox_bead.png");
  const vLMaterial gear = picture("sandbox_gear.png");
  vLMaterial text;
  text.CreateFontA(16, true, "DejaVu Sans");

  sandbox::Scene scene;
  scene.build();
  bool running = true;
  for (long frame = 1; running; ++frame) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) running = false;
      if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT)
        scene.addBall(static_cast<float>(event.button.x), static_cast<float>(event.button.y));
    }
    scene.step();

    device.Clear(18, 22, 32);
    device.BeginRender();
    device.SetTexture(gear);
    device.Draw(gear, {sandbox::kGearX, sandbox::kGearY, 0}, {64, 64, 0}, scene.gearAngle(), 0, 0, 0);
    drawMasses(device, bead, scene.rope(), 6);
    drawMasses(device, ball, scene.balls(), 12);
    char line[128];
    std::snprintf(line, sizeof line, "masses: %d   contacts: %d   step: %.1f us   click to drop a ball",
                  scene.massCount(), PhysXContactCount(), scene.meanStepMicros());
    device.DrawT(text.font, line, {12, 10, 0}, 235, 235, 240);
    device.EndRender();

    const bool last = options.frames > 0 && frame >= options.frames;
    if (last && options.screenshot && !device.Screenshot(options.screenshot)) return 1;
    device.DrawAll();  // waits for the display's refresh, so the loop needs no timer
    if (last) running = false;
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
