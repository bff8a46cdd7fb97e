// The sandbox's world, on the engine's public API alone: a rope of masses
// hung between two pins and held with LinkForced, balls that fall and push
// each other apart, and a turning gear whose teeth are masses too.
#pragma once

#include <veltra/veltra.h>

#include <vector>

namespace sandbox {

constexpr int kWidth = 800, kHeight = 600;
constexpr float kBallRange = 12, kBeadRange = 5, kToothRange = 9;
constexpr float kGearX = 590, kGearY = 505, kGearRadius = 50;

class Scene {
 public:
  void build();
  // Drops a ball at (x, y); ignored outside the box.
  void addBall(float x, float y);
  // One frame: gravity, PhysXUpdate (timed), the rope, the gear and the walls.
  void step();

  const std::vector<vLPhysX>& balls() const { return balls_; }
  const std::vector<vLPhysX>& rope() const { return rope_; }
  const std::vector<vLPhysX>& gear() const { return gear_; }  // the hub, then the teeth
  float gearAngle() const { return gearAngle_; }
  int massCount() const { return static_cast<int>(balls_.size() + rope_.size() + gear_.size()); }
  // Microseconds of the last PhysXUpdate, and a smoothed figure for display.
  double lastStepMicros() const { return lastStep_; }
  double meanStepMicros() const { return meanStep_; }

 private:
  vLPhysX spawn(float x, float y, float range);
  void placeGear();
  void keepInBox(vLPhysX& m, float range);

  std::vector<vLPhysX> balls_, rope_, gear_;
  float gearAngle_ = 0;
  double lastStep_ = 0, meanStep_ = 0;
};

}  // namespace sandbox
