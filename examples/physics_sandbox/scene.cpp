#include "scene.h"

#include <chrono>

namespace sandbox {
namespace {
constexpr int kBeads = 30, kTeeth = 8;
constexpr float kGearBodyRange = 38;
constexpr float kRopeLeftX = 80, kRopeRightX = 470, kRopeY = 250;
constexpr float kLinkLength = (kRopeRightX - kRopeLeftX) / (kBeads - 1) * 1.1f;  // a little slack to sag
constexpr float kGravity = 0.6f, kGearTurn = 1.2f;                               // pixels and degrees per frame
// LinkForced moves both ends of a link; a few sweeps let the rope settle
// to its length before the pins pull it back into place.
constexpr int kRopeSweeps = 6;
constexpr float kWorldLayer = 0;
}  // namespace

// Placed, not set: a new mass would otherwise count as having come from the origin.
vLPhysX Scene::spawn(float x, float y, float range) {
  vLPhysX m;
  m.NewPhysX();
  m.Place(x, y);
  m.SetRange(range);
  m.SetZ(kWorldLayer);
  return m;
}

void Scene::build() {
  // With no inertion a push is repeated once and then spent: the sandbox
  // stays calm however hard the gear hits.
  PhysXInertion(0);
  for (int i = 0; i < kBeads; ++i)
    rope_.push_back(spawn(kRopeLeftX + i * (kRopeRightX - kRopeLeftX) / (kBeads - 1), kRopeY, kBeadRange));
  gear_.push_back(spawn(kGearX, kGearY, kGearBodyRange));  // the hub keeps balls out of the body
  for (int i = 0; i < kTeeth; ++i) {
    const float a = i * (360.0f / kTeeth);
    gear_.push_back(spawn(kGearX + vLLengthdirX(kGearRadius, a), kGearY + vLLengthdirY(kGearRadius, a), kToothRange));
  }
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 12; ++col) addBall(110 + col * 52 + (row % 2) * 26, 40 + row * 30);
}

void Scene::addBall(float x, float y) {
  if (x < kBallRange || x > kWidth - kBallRange || y < kBallRange || y > kHeight - kBallRange) return;
  balls_.push_back(spawn(x, y, kBallRange));
}

void Scene::placeGear() {
  gear_[0].SetX(kGearX);
  gear_[0].SetY(kGearY);
  for (int i = 0; i < kTeeth; ++i) {
    const float a = gearAngle_ + i * (360.0f / kTeeth);
    gear_[i + 1].SetX(kGearX + vLLengthdirX(kGearRadius, a));
    gear_[i + 1].SetY(kGearY + vLLengthdirY(kGearRadius, a));
  }
}

void Scene::keepInBox(vLPhysX& m, float range) {
  if (m.GetX() < range) m.SetX(range);
  if (m.GetX() > kWidth - range) m.SetX(kWidth - range);
  if (m.GetY() < range) m.SetY(range);
  if (m.GetY() > kHeight - range) m.SetY(kHeight - range);
}

void Scene::step() {
  for (vLPhysX& b : balls_) b.SetY(b.GetY() + kGravity);
  for (vLPhysX& m : rope_) m.SetY(m.GetY() + kGravity);

  const auto start = std::chrono::steady_clock::now();
  PhysXUpdate();
  lastStep_ = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  meanStep_ = meanStep_ == 0 ? lastStep_ : meanStep_ * 0.95 + lastStep_ * 0.05;

  for (int sweep = 0; sweep < kRopeSweeps; ++sweep) {
    for (int i = 0; i + 1 < kBeads; ++i) rope_[i].LinkForced(rope_[i + 1], kLinkLength);
    rope_.front().SetX(kRopeLeftX);
    rope_.front().SetY(kRopeY);
    rope_.back().SetX(kRopeRightX);
    rope_.back().SetY(kRopeY);
  }
  // The gear is driven, not pushed: its hub and teeth go back in place every frame.
  gearAngle_ += kGearTurn;
  if (gearAngle_ >= 360) gearAngle_ -= 360;
  placeGear();
  for (vLPhysX& b : balls_) keepInBox(b, kBallRange);
}

}  // namespace sandbox
