#include "physics.h"

#include "helpers.h"
#include "physics_grid.h"
#include "veltra/veltra.h"

namespace veltra {
namespace {
float gInertion = 0.0f;
// The pairs the last step pushed apart; its storage is kept from step to step.
std::vector<ActingPair> gContacts;
}  // namespace

float inertion() { return gInertion; }

void detail::forgetContacts() { gContacts.clear(); }

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
  if (!(k.z == j.z)) return false;
  const float dx = sp(static_cast<double>(k.x) - j.x);
  const float dy = sp(static_cast<double>(k.y) - j.y);
  const float dist = offsetLength(dx, dy);
  const double reach = static_cast<double>(k.range) + j.range;
  if (!(reach > dist)) return false;
  // The direction costs an atan2, so only pairs that act pay for it.
  const float dir = offsetDirection(dx, dy);
  const float overlap = sp(reach - dist);
  float ox, oy;
  lengthdirRadians(overlap, degToRad(dir), ox, oy);
  k.x = sp(static_cast<double>(k.x) + ox);
  k.y = sp(static_cast<double>(k.y) + oy);
  j.x = sp(static_cast<double>(j.x) - ox);
  j.y = sp(static_cast<double>(j.y) - oy);
  return true;
}

std::int64_t separateAllPairs(MassRecord* masses, int count, std::vector<ActingPair>* acting) {
  std::int64_t acted = 0;
  for (int j = 0; j < count; ++j) {
    for (int k = 0; k < count; ++k) {
      // A mass meeting itself would only round its position (or turn it into
      // NaN for an infinite range), so the self pair is skipped.
      if (k == j || !separatePair(masses[j], masses[k])) continue;
      ++acted;
      if (acting) acting->push_back({j, k});
    }
  }
  return acted;
}

void linkForced(MassRecord& a, MassRecord& b, float length) {
  // Both positions are read before any write, so a mass linked to itself ends
  // at the second write.
  const float ax = a.x, ay = a.y, bx = b.x, by = b.y;
  const float dir = pointDirection(ax, ay, bx, by);
  const float mx = sp((static_cast<double>(ax) + bx) * 0.5);
  const float my = sp((static_cast<double>(ay) + by) * 0.5);
  const float half = sp(static_cast<double>(length) * 0.5);
  float ox, oy;
  lengthdirRadians(half, degToRad(dir), ox, oy);
  a.x = sp(static_cast<double>(mx) - ox);
  a.y = sp(static_cast<double>(my) - oy);
  b.x = sp(static_cast<double>(mx) + ox);
  b.y = sp(static_cast<double>(my) + oy);
}

void linkFree(MassRecord& a, MassRecord& b, float length) {
  const float ax = a.x, ay = a.y;
  const float r = degToRad(pointDirection(ax, ay, b.x, b.y));
  float ox, oy;
  lengthdirRadians(length, r, ox, oy);
  b.x = sp(static_cast<double>(ox) + ax);
  b.y = sp(static_cast<double>(ay) + oy);
}

}  // namespace veltra

using veltra::massTable;

void vLPhysX::NewPhysX() { handle = massTable().append(veltra::MassRecord{}); }
void vLPhysX::SetX(float value) { massTable().at(handle, "SetX").x = value; }
void vLPhysX::SetY(float value) { massTable().at(handle, "SetY").y = value; }
void vLPhysX::SetZ(float value) { massTable().at(handle, "SetZ").z = value; }
void vLPhysX::SetRange(float value) { massTable().at(handle, "SetRange").range = value; }
float vLPhysX::GetX() const { return massTable().at(handle, "GetX").x; }
float vLPhysX::GetY() const { return massTable().at(handle, "GetY").y; }
float vLPhysX::GetZ() const { return massTable().at(handle, "GetZ").z; }
float vLPhysX::GetRange() const { return massTable().at(handle, "GetRange").range; }
float vLPhysX::GetVelX() const { return massTable().at(handle, "GetVelX").velX; }
float vLPhysX::GetVelY() const { return massTable().at(handle, "GetVelY").velY; }

void vLPhysX::Place(float x, float y) {
  veltra::MassRecord& m = massTable().at(handle, "Place");
  m.x = m.prevX = x;
  m.y = m.prevY = y;
}

void vLPhysX::SetVelocity(float x, float y) {
  veltra::MassRecord& m = massTable().at(handle, "SetVelocity");
  m.velX = x;
  m.velY = y;
}

void vLPhysX::LinkForced(vLPhysX other, float length) {
  auto& table = massTable();
  veltra::MassRecord& self = table.at(handle, "LinkForced");
  veltra::linkForced(self, table.at(other.handle, "LinkForced"), length);
}

void vLPhysX::LinkFree(vLPhysX other, float length) {
  auto& table = massTable();
  veltra::MassRecord& self = table.at(handle, "LinkFree");
  veltra::linkFree(self, table.at(other.handle, "LinkFree"), length);
}

void PhysXUpdate() {
  auto& table = massTable();
  const int count = table.count();
  veltra::MassRecord* masses = table.data();
  veltra::motionPass(masses, count, veltra::inertion());
  veltra::snapshotPass(masses, count);
  veltra::gContacts.clear();
  veltra::separationPass(masses, count, &veltra::gContacts);
}

void PhysXInertion(float factor) { veltra::gInertion = factor; }

int PhysXContactCount() { return static_cast<int>(veltra::gContacts.size()); }

vLContact PhysXContact(int index) {
  const auto& contacts = veltra::gContacts;
  if (static_cast<std::size_t>(static_cast<unsigned>(index)) >= contacts.size())
    veltra::detail::badArgument("PhysXContact index %d is out of range (the last PhysXUpdate made %zu contacts)", index,
                                contacts.size());
  const veltra::ActingPair& p = contacts[static_cast<std::size_t>(index)];
  return vLContact{p.outer, p.inner};
}
