// Flock: herd the sheep into the pen before the time runs out. The arrow keys
// (or W, A, S, D) run the dog, which shoves any sheep it meets; sheep shy away
// from it. A left click barks where the pointer is (Space where the dog is)
// and the sheep near it scatter. Enter plays again; Escape quits.
//
// Written against veltra.h alone, with no platform code, it builds on Linux
// and on Windows. Its pictures and sounds lie in its folder (make_assets.cpp
// makes them).
// Exit status: 0 once the window closes (also when its display goes away,
// which the engine reports in one line), 1 when no window or device can be made.
#include <veltra/veltra.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "flock_names.h"
#include "layout.h"

namespace sheepdog {
namespace {

constexpr int kSheep = 9;
constexpr double kRoundSeconds = 60, kStepSeconds = 1.0 / 60;
constexpr int kMostStepsPerFrame = 8;  // below 7.5 frames a second the game slows rather than jumps
constexpr float kGlide = 0.8f;         // the share of its speed a mass keeps each step
constexpr float kDogStep = 1.1f;       // pixels a step that the keys move the dog
constexpr float kShyDistance = 130, kShyStep = 2.0f, kWanderStep = 0.12f, kWanderTurn = 30;
constexpr float kFlockPull = 0.1f, kFlockSpread = 50;  // a sheep drifts back to the others
constexpr float kBarkReach = 150, kBarkPush = 9;
constexpr double kBarkShown = 0.5, kBarkRest = 0.6, kBleatShown = 0.6;  // seconds
constexpr double kDogFramesPerSecond = 12;

// A generator of its own, so every platform plays the same flock.
class Random {
 public:
  float next() {  // in [0, 1)
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(state_ >> 8) / 16777216.0f;
  }
  float between(float low, float high) { return low + (high - low) * next(); }

 private:
  std::uint32_t state_ = 20240601u;
};

vLVector2 at(const vLPhysX& mass) { return {mass.GetX(), mass.GetY(), 0}; }

void move(vLPhysX& mass, float length, float direction) {
  mass.SetX(mass.GetX() + vLLengthdirX(length, direction));
  mass.SetY(mass.GetY() + vLLengthdirY(length, direction));
}

// Degrees from b round to a, in (-180, 180].
float turnBetween(float a, float b) {
  float d = a - b;
  while (d > 180) d -= 360;
  while (d <= -180) d += 360;
  return d;
}

// Left of the field to its right: -1 to 1.
float panOf(vLVector2 p) { return p.x / kWidth * 2 - 1; }

bool inPen(vLVector2 p, float range) { return vLPointDistance({kPenX, kPenY, 0}, p) < kPenRadius - range; }

// The fence is a ring with a gap: a mass that reaches it from either side
// is put back on that side. The move turns into a bounce at the next step.
void keepToFence(vLPhysX& mass, float range) {
  const vLVector2 centre{kPenX, kPenY, 0};
  const float d = vLPointDistance(centre, at(mass));
  const float direction = vLPointDirection(centre, at(mass));
  if (d >= kPenRadius + range || d <= kPenRadius - range) return;
  if (std::fabs(turnBetween(direction, kGateDirection)) < kGateHalfWidth) return;  // through the gate
  const float to = d < kPenRadius ? kPenRadius - range : kPenRadius + range;
  mass.SetX(kPenX + vLLengthdirX(to, direction));
  mass.SetY(kPenY + vLLengthdirY(to, direction));
}

void keepInField(vLPhysX& mass, float range) {
  if (mass.GetX() < range) mass.SetX(range);
  if (mass.GetX() > kWidth - range) mass.SetX(kWidth - range);
  if (mass.GetY() < range) mass.SetY(range);
  if (mass.GetY() > kHeight - range) mass.SetY(kHeight - range);
}

struct Sheep {
  vLPhysX mass;
  float heading = 0;      // where it wanders
  float facing = 0;       // where it looks: the way it last moved
  double bleatUntil = 0;  // shoved by the dog, it says so for a moment
};

class Game {
 public:
  bool start(vLWindow window, const std::string& folder);
  void frame();

 private:
  vLMaterial picture(const std::string& folder, const char* name);
  void newRound();
  void step();
  void herd(Sheep& sheep);
  void bark(vLVector2 where);
  void bleat();
  void draw();
  void drawCentred(int font, const char* text, float y, int red, int green, int blue);

  vLDevice device_;
  vLMaterial sheepPicture_, dogPicture_, penPicture_, barkPicture_, font_, smallFont_;
  vLSound barkSound_, bleatSound_, tuneSound_;
  Random random_;
  std::vector<Sheep> sheep_;
  vLPhysX dog_;
  double roundStart_ = 0, endedAt_ = -1, lastBark_ = -1e9, lag_ = 0;
  vLVector2 barkAt_{}, flockMiddle_{};
  int penned_ = 0;
};

vLMaterial Game::picture(const std::string& folder, const char* name) {
  vLMaterial m;
  m.LoadTexture((folder + name).c_str());
  m.CreateSprite();
  return m;
}

bool Game::start(vLWindow window, const std::string& folder) {
  if (!device_.CreateDevice(window)) return false;
  device_.Lighting(1);
  device_.ZAxis(false);
  sheepPicture_ = picture(folder, kSheepPicture);
  dogPicture_ = picture(folder, kDogPicture);
  penPicture_ = picture(folder, kPenPicture);
  barkPicture_ = picture(folder, kBarkPicture);
  barkSound_.LoadSound((folder + kBarkSound).c_str());
  bleatSound_.LoadSound((folder + kBleatSound).c_str());
  tuneSound_.LoadSound((folder + kTuneSound).c_str());
  font_.CreateFontA(18, true, "Verdana");
  smallFont_.CreateFontA(13, true, "Verdana");
  dog_.NewPhysX();
  dog_.SetRange(kDogRange);
  sheep_.resize(kSheep);
  for (Sheep& s : sheep_) {
    s.mass.NewPhysX();
    s.mass.SetRange(kSheepRange);
  }
  newRound();
  return true;
}

void Game::newRound() {
  PhysXInertion(kGlide);
  dog_.Place(90, 410);
  dog_.SetVelocity(0, 0);
  for (Sheep& s : sheep_) {
    s.mass.Place(random_.between(150, 360), random_.between(60, 420));  // clear of the dog
    s.mass.SetVelocity(0, 0);
    s.heading = random_.between(0, 360);
  }
  roundStart_ = vLTime();
  endedAt_ = -1;
  lag_ = 0;
  tuneSound_.Loop(0.3f);
}

void Game::herd(Sheep& sheep) {
  const vLVector2 here = at(sheep.mass);
  if (inPen(here, kSheepRange)) return;  // penned sheep stand still, unless shoved
  const float fromDog = vLPointDistance(at(dog_), here);
  if (fromDog < kShyDistance) {
    move(sheep.mass, kShyStep * (1 - fromDog / kShyDistance), vLPointDirection(at(dog_), here));
    return;
  }
  sheep.heading += (random_.next() - 0.5f) * kWanderTurn;
  move(sheep.mass, kWanderStep, sheep.heading);
  if (vLPointDistance(here, flockMiddle_) > kFlockSpread)
    move(sheep.mass, kFlockPull, vLPointDirection(here, flockMiddle_));
}

void Game::bark(vLVector2 where) {
  if (vLTime() - lastBark_ < kBarkRest) return;
  lastBark_ = vLTime();
  barkAt_ = where;
  barkSound_.Play(0.9f, panOf(where));
  for (Sheep& s : sheep_) {
    const float d = vLPointDistance(where, at(s.mass));
    if (d < kBarkReach) move(s.mass, kBarkPush * (1 - d / kBarkReach), vLPointDirection(where, at(s.mass)));
  }
}

void Game::step() {
  if (endedAt_ < 0) {
    const float dx = static_cast<float>((vLKeyDown(vLKeyArrowRight) || vLKeyDown('D')) -
                                        (vLKeyDown(vLKeyArrowLeft) || vLKeyDown('A')));
    const float dy =
        static_cast<float>((vLKeyDown(vLKeyArrowDown) || vLKeyDown('S')) - (vLKeyDown(vLKeyArrowUp) || vLKeyDown('W')));
    const float pace = dx != 0 && dy != 0 ? kDogStep * 0.7071f : kDogStep;
    dog_.SetX(dog_.GetX() + dx * pace);
    dog_.SetY(dog_.GetY() + dy * pace);
  }
  // Where the sheep still out in the field are, on the whole.
  vLVector2 sum{};
  int out = 0;
  for (const Sheep& s : sheep_)
    if (!inPen(at(s.mass), kSheepRange)) sum.x += s.mass.GetX(), sum.y += s.mass.GetY(), ++out;
  if (out > 0) flockMiddle_ = {sum.x / out, sum.y / out, 0};
  for (Sheep& s : sheep_) herd(s);
  PhysXUpdate();
  bleat();
  keepInField(dog_, kDogRange);
  keepToFence(dog_, kDogRange);
  penned_ = 0;
  for (Sheep& s : sheep_) {
    keepInField(s.mass, kSheepRange);
    keepToFence(s.mass, kSheepRange);
    const vLVector2 velocity{s.mass.GetVelX(), s.mass.GetVelY(), 0};
    if (vLPointDistance({}, velocity) > 0.25f) s.facing = vLPointDirection({}, velocity);
    penned_ += inPen(at(s.mass), kSheepRange);
  }
}

// Every sheep the step found the dog pushing against.
void Game::bleat() {
  for (int i = 0; i < PhysXContactCount(); ++i) {
    const vLContact c = PhysXContact(i);
    if (c.a != dog_.handle && c.b != dog_.handle) continue;
    const int shoved = c.a == dog_.handle ? c.b : c.a;
    for (Sheep& s : sheep_) {
      if (s.mass.handle != shoved) continue;
      if (vLTime() >= s.bleatUntil) bleatSound_.Play(0.6f, panOf(at(s.mass)));
      s.bleatUntil = vLTime() + kBleatShown;
    }
  }
}

void Game::frame() {
  const double now = vLTime();
  if (endedAt_ < 0) {
    if (vLMousePressed(vLMouseLeft)) bark(vLMousePosition());
    if (vLKeyPressed(' ')) bark(at(dog_));
  } else if (vLKeyPressed(vLKeyEnter)) {
    newRound();
  }
  // Fixed steps, however fast the display shows frames.
  lag_ += vLFrameTime();
  int steps = 0;
  for (; lag_ >= kStepSeconds && steps < kMostStepsPerFrame; ++steps) {
    step();
    lag_ -= kStepSeconds;
  }
  if (steps == kMostStepsPerFrame) lag_ = 0;
  if (endedAt_ < 0 && (penned_ == kSheep || now - roundStart_ >= kRoundSeconds)) {
    endedAt_ = now;
    tuneSound_.Stop();
  }
  draw();
}

void Game::drawCentred(int font, const char* text, float y, int red, int green, int blue) {
  const float width = device_.MeasureT(font, text).x;
  device_.DrawT(font, text, {(kWidth - width) / 2, y, 0}, red, green, blue);
}

void Game::draw() {
  const double now = vLTime();
  device_.Clear(86, 140, 62);
  device_.BeginRender();
  const float penPivot = kPenSize / 2.0f;
  device_.Draw(penPicture_, {kPenX, kPenY, 0}, {penPivot, penPivot, 0}, 0, 0, 0, 0);
  // Penned sheep take on the straw's colour.
  for (const Sheep& s : sheep_) {
    const int blue = inPen(at(s.mass), kSheepRange) ? 170 : 255;
    device_.DrawEx(sheepPicture_, at(s.mass), {kSheepSize / 2.0f, kSheepSize / 2.0f, 0}, s.facing, {1, 1, 0},
                   {0, 0, 0, 0}, 255, 245, blue, 255);
  }
  // The dog runs through the frames of its sheet while it moves.
  const bool running = vLPointDistance({}, {dog_.GetVelX(), dog_.GetVelY(), 0}) > 0.3f;
  const int frame = running ? static_cast<int>(now * kDogFramesPerSecond) % kDogFrames : 0;
  const vLRect dogFrame{static_cast<float>(frame * kDogSize), 0, kDogSize, kDogSize};
  device_.DrawEx(dogPicture_, at(dog_), {kDogSize / 2.0f, kDogSize / 2.0f, 0},
                 vLPointDirection(at(dog_), vLMousePosition()), {1, 1, 0}, dogFrame, 255, 255, 255, 255);
  // A bark: a ring that grows from the spot and fades at the end.
  const float barkAge = static_cast<float>((now - lastBark_) / kBarkShown);
  if (barkAge < 1) {
    const float grow = 0.4f + 0.6f * barkAge, fade = barkAge < 0.6f ? 1 : (1 - barkAge) / 0.4f;
    device_.DrawEx(barkPicture_, barkAt_, {kBarkSize / 2.0f, kBarkSize / 2.0f, 0}, 0, {grow, grow, 0}, {0, 0, 0, 0},
                   255, 255, 255, static_cast<int>(255 * fade));
  }
  const float baaWidth = device_.MeasureT(smallFont_.font, "baa!").x;
  for (const Sheep& s : sheep_)
    if (now < s.bleatUntil)
      device_.DrawT(smallFont_.font, "baa!", {s.mass.GetX() - baaWidth / 2, s.mass.GetY() - 30, 0}, 255, 255, 255);

  const double end = endedAt_ < 0 ? now : endedAt_;
  const int left = static_cast<int>(kRoundSeconds - (end - roundStart_) + 0.999);
  char line[96];
  std::snprintf(line, sizeof line, "Penned %d of %d     Time %d", penned_, kSheep, left > 0 ? left : 0);
  drawCentred(font_.font, line, 10, 255, 255, 255);
  if (endedAt_ >= 0) {
    if (penned_ == kSheep)
      std::snprintf(line, sizeof line, "All penned with %d s to spare!   Enter: play again", left);
    else
      std::snprintf(line, sizeof line, "Time! %d of %d penned.   Enter: play again", penned_, kSheep);
    drawCentred(font_.font, line, 36, 255, 230, 90);
  }
  device_.EndRender();
  device_.DrawAll();
}

// The folder of the program, from the path it was started by.
std::string folderOf(const char* program) {
  const std::string path = program ? program : "";
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace
}  // namespace sheepdog

int main(int, char** argv) {
  const vLWindow window = vLOpenWindow(sheepdog::kCaption, sheepdog::kWidth, sheepdog::kHeight);
  if (!window) return 1;  // the engine has said why
  sheepdog::Game game;
  if (!game.start(window, sheepdog::folderOf(argv[0]))) {
    vLCloseWindow();
    return 1;
  }
  while (vLPollEvents() && !vLKeyPressed(vLKeyEscape)) game.frame();
  vLCloseWindow();
  return 0;
}
