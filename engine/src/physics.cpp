#include "physics.h"

#include "helpers.h"
#include "veltra/veltra.h"

namespace veltra {
namespace {
float gInertion = 0.0f;
}

float inertion() { return gInertion; }

void motionPass(MassRecord* masses, int count, float factor) {
  for (int i = 0; i < count; ++i) {
    MassRecord& m = masses[i];
    const float dx = sp(static_cast<double>(m.x) - m.prevX);
    const float dy = sp(static_cast<double>(m.y) - m.prevY);
    const float moved = pointDistance(0, 0, dx, dy);
    const float speed = pointDistance(0, 0, m.velX, m.velY);
    // A displacement adds to the velocity only when it is the longer of the two.
    if (speed < moved) {
      m.velX = sp(static_cast<double>(m.velX) + dx);
      m.velY = sp(static_cast<double>(m.velY) + dy);
    }
    m.x = sp(static_cast<double>(m.x) + m.velX);
    m.y = sp(static_cast<double>(m.y) + m.velY);
    m.velX = sp(static_cast<double>(m.velX) * factor);
    m.velY = sp(static_cast<double>(m.velY) * factor);
  }
}

void snapshotPass(MassRecord* masses, int count) {
  for (int i = 0; i < count; ++i) {
    masses[i].prevX = masses[i].x;
    masses[i].prevY = masses[i].y;
  }
}

bool separatePair(MassRecord& j, MassRecord& k) {
  const float dir = pointDirection(j.x, j.y, k.x, k.y);
  const float dist = pointDistance(j.x, j.y, k.x, k.y);
  const double reach = static_cast<double>(k.range) + j.range;
  if (!(reach > dist) || !(k.z == j.z)) return false;
  const float overlap = sp(reach - dist);
  float ox, oy;
  lengthdirRadians(overlap, degToRad(dir), ox, oy);
  k.x = sp(static_cast<double>(k.x) + ox);
  k.y = sp(static_cast<double>(k.y) + oy);
  j.x = sp(static_cast<double>(j.x) - ox);
  j.y = sp(static_cast<double>(j.y) - oy);
  return true;
}

void separateAllPairs(MassRecord* masses, int count) {
  for (int j = 0; j < count; ++j) {
    for (int k = 0; k < count; ++k) {
      // A mass meeting itself would only round its position (or turn it into
      // NaN for an infinite range), so the self pair is skipped.
      if (k != j) separatePair(masses[j], masses[k]);
    }
  }
}

}  // namespace veltra

using veltra::massTable;

void vLPhysX::NewPhysX() { handle = massTable().append(veltra::MassRecord{}); }
void vLPhysX::SetX(float value) { massTable().at(handle).x = value; }
void vLPhysX::SetY(float value) { massTable().at(handle).y = value; }
void vLPhysX::SetZ(float value) { massTable().at(handle).z = value; }
void vLPhysX::SetRange(float value) { massTable().at(handle).range = value; }
float vLPhysX::GetX() const { return massTable().at(handle).x; }
float vLPhysX::GetY() const { return massTable().at(handle).y; }
float vLPhysX::GetZ() const { return massTable().at(handle).z; }
float vLPhysX::GetRange() const { return massTable().at(handle).range; }

void vLPhysX::LinkForced(vLPhysX other, float length) {
  using veltra::sp;
  auto& table = massTable();
  const veltra::MassRecord a = table.at(handle);
  const veltra::MassRecord b = table.at(other.handle);
  const float dir = veltra::pointDirection(a.x, a.y, b.x, b.y);
  const float mx = sp((static_cast<double>(a.x) + b.x) * 0.5);
  const float my = sp((static_cast<double>(a.y) + b.y) * 0.5);
  const float half = sp(static_cast<double>(length) * 0.5);
  float ox, oy;
  veltra::lengthdirRadians(half, veltra::degToRad(dir), ox, oy);
  // Written in this order so a mass linked to itself ends at the second write.
  table.at(handle).x = sp(static_cast<double>(mx) - ox);
  table.at(handle).y = sp(static_cast<double>(my) - oy);
  table.at(other.handle).x = sp(static_cast<double>(mx) + ox);
  table.at(other.handle).y = sp(static_cast<double>(my) + oy);
}

void vLPhysX::LinkFree(vLPhysX other, float length) {
  using veltra::sp;
  auto& table = massTable();
  const veltra::MassRecord a = table.at(handle);
  const veltra::MassRecord b = table.at(other.handle);
  const float r = veltra::degToRad(veltra::pointDirection(a.x, a.y, b.x, b.y));
  float ox, oy;
  veltra::lengthdirRadians(length, r, ox, oy);
  table.at(other.handle).x = sp(static_cast<double>(ox) + a.x);
  table.at(other.handle).y = sp(static_cast<double>(a.y) + oy);
}

void PhysXUpdate() {
  auto& table = massTable();
  const int count = table.count();
  veltra::MassRecord* masses = table.data();
  veltra::motionPass(masses, count, veltra::inertion());
  veltra::snapshotPass(masses, count);
  veltra::separateAllPairs(masses, count);
}

void PhysXInertion(float factor) { veltra::gInertion = factor; }
