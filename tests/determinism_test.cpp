// The same inputs give the same bits on every target: the Linux and the
// Windows builds must both match these constants, so a game plays the same
// frames on both. A change of rounding anywhere in the helpers, the physics
// or the rules shows here; update a constant only for a deliberate change.
#include <gtest/gtest.h>
#include <veltra/veltra.h>

#include <cstdint>

#include "fnv_hash.h"
#include "rules.h"
#include "sound_script.h"

namespace {

// A fixed stream of floats over a wide range, the same on every target.
class Inputs {
 public:
  float next(float scale) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    const auto mantissa = static_cast<std::int32_t>(state_ >> 40) - (1 << 23);  // 24 bits, signed
    return static_cast<float>(mantissa) / static_cast<float>(1 << 23) * scale;
  }

 private:
  std::uint64_t state_ = 20240601;
};

}  // namespace

TEST(Determinism, HelpersGiveTheSameBitsEverywhere) {
  Hash h;
  Inputs in;
  for (int i = 0; i < 20000; ++i) {
    // Small, screen-sized and huge angles: argument reduction differs most far out.
    const float scale = i % 3 == 0 ? 4.0f : i % 3 == 1 ? 720.0f : 1.0e7f;
    const float angle = in.next(scale), length = in.next(500.0f);
    const vLVector2 a{in.next(1000.0f), in.next(1000.0f), 0}, b{in.next(1000.0f), in.next(1000.0f), 0};
    h.add(vLDegtorad(angle));
    h.add(vLLengthdirX(length, angle));
    h.add(vLLengthdirY(length, angle));
    const vLVector2 both = vLLengthdir(length, angle);
    h.add(both.x);
    h.add(both.y);
    h.add(vLPointDirection(a, b));
    h.add(vLPointDistance(a, b));
  }
  // Whole degrees, where games spend most of their time.
  for (int degrees = -1080; degrees <= 1080; ++degrees) {
    h.add(vLLengthdirX(1, static_cast<float>(degrees)));
    h.add(vLLengthdirY(10, static_cast<float>(degrees)));
  }
  EXPECT_EQ(h.value(), 0x113ff40e498c3ac8ull) << std::hex << h.value();
}

TEST(Determinism, APhysicsSceneEndsOnTheSameBitsEverywhere) {
  vLInitialize();
  PhysXInertion(0.75f);
  Inputs in;
  vLPhysX masses[48];
  for (int i = 0; i < 48; ++i) {
    masses[i].NewPhysX();
    masses[i].SetX(200 + static_cast<float>(i % 8) * 15 + in.next(3));
    masses[i].SetY(100 + static_cast<float>(i / 8) * 15 + in.next(3));
    masses[i].SetZ(static_cast<float>(i % 2));  // two layers that pass through each other
    masses[i].SetRange(9 + in.next(2));
  }
  Hash h;
  for (int step = 0; step < 300; ++step) {
    PhysXUpdate();
    masses[0].LinkForced(masses[1], 20);
    masses[2].LinkFree(masses[3], 12.5f);
    if (step % 50 == 0) masses[47].SetX(masses[47].GetX() + 40);  // a kick the rest must absorb
    if (step % 25 == 0)
      for (const vLPhysX& m : masses) h.add(m.GetX()), h.add(m.GetY());
  }
  for (const vLPhysX& m : masses) h.add(m.GetX()), h.add(m.GetY());
  PhysXInertion(0);
  EXPECT_EQ(h.value(), 0x4cd88e25e3c1e578ull) << std::hex << h.value();
}

TEST(Determinism, AHundredThousandFramesOfBrickfallPlayTheSameEverywhere) {
  brickfall::Rules rules;
  rules.FillBlocks();
  rules.PlaceBall();
  Inputs in;
  Hash h;
  const std::function<void(const brickfall::Block&)> noDraw;
  for (int frame = 0; frame < 100000; ++frame) {
    // A player who mostly follows the ball, and misses now and then.
    float paddleX = rules.ballX + in.next(70);
    if (frame % 4000 > 3500) paddleX = in.next(900);
    rules.Step(static_cast<float>(static_cast<int>(paddleX)), noDraw);  // the cursor is whole pixels
    h.add(rules.ballX);
    h.add(rules.ballY);
    h.add(rules.direction);
    h.add(static_cast<std::uint32_t>(rules.points));
  }
  EXPECT_EQ(rules.points, 160);
  EXPECT_EQ(h.value(), 0x85da2d61bd56827cull) << std::hex << h.value();
}

TEST(Determinism, AScriptedSoundMixIsTheSameEverywhere) {
  // Every sound decoded, or the hash would pass over an empty clip.
  for (const veltra::audio::Clip& c : scriptSounds()) EXPECT_GT(c.frames, 0u);
  const std::uint64_t got = scriptedMixHash();
  EXPECT_EQ(got, kScriptedMixHash) << std::hex << got;
}
