// Random sequences of physics, helper and matrix calls with hostile numbers.
// Besides the sanitizers, it checks what must hold for any input: a stored
// value reads back bit for bit, LinkFree leaves its own mass alone, the step
// matches the all-pairs reference pass and its contacts are the pairs that
// pass pushed, and the helpers agree with each other.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "physics.h"
#include "physics_grid.h"
#include "physics_ops.h"
#include "tables.h"
#include "veltra/veltra.h"

namespace {
using veltra::MassRecord;
using veltra::fuzz::Input;

// Past the size where the step switches from trying every pair to its
// spatial index, few enough that one input stays around a millisecond.
constexpr std::size_t kMaxMasses = 160;
constexpr std::size_t kMaxMatrices = 8;
// Every step is made three times over (reference, grid, PhysXUpdate); a
// crowded table of kMaxMasses stepped this often stays within a few seconds
// under the sanitizers, well inside the fuzzer's limit per input.
constexpr int kMaxSteps = 48;
int stepsLeft = 0;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
// NaN payloads may differ between two correct computations; any NaN matches any NaN.
bool sameValue(float a, float b) { return sameBits(a, b) || (std::isnan(a) && std::isnan(b)); }

void check(bool ok) {
  if (!ok) std::abort();
}

void stepAgainstReference() {
  if (stepsLeft == 0) return;
  --stepsLeft;
  auto& table = veltra::massTable();
  const int count = table.count();
  std::vector<MassRecord> expected(table.data(), table.data() + count);
  veltra::motionPass(expected.data(), count, veltra::inertion());
  veltra::snapshotPass(expected.data(), count);
  static std::vector<veltra::ActingPair> pushed, gridPushed;
  pushed.clear();
  gridPushed.clear();
  veltra::separateAllPairs(expected.data(), count, &pushed);
  // The grid pass itself, which PhysXUpdate leaves to all pairs on tables this small.
  std::vector<MassRecord> indexed(table.data(), table.data() + count);
  veltra::motionPass(indexed.data(), count, veltra::inertion());
  veltra::snapshotPass(indexed.data(), count);
  static veltra::SeparationGrid grid;
  grid.run(indexed.data(), count, &gridPushed);
  PhysXUpdate();
  check(gridPushed == pushed);
  check(PhysXContactCount() == static_cast<int>(pushed.size()));
  for (std::size_t i = 0; i < pushed.size(); ++i) {
    const vLContact c = PhysXContact(static_cast<int>(i));
    check(c.a == pushed[i].outer && c.b == pushed[i].inner);
  }
  for (const MassRecord* records : {table.data(), indexed.data()}) {
    for (int i = 0; i < count; ++i) {
      const MassRecord& got = records[i];
      const MassRecord& want = expected[static_cast<std::size_t>(i)];
      check(sameValue(got.x, want.x) && sameValue(got.y, want.y) && sameValue(got.velX, want.velX) &&
            sameValue(got.velY, want.velY) && sameValue(got.prevX, want.prevX) && sameValue(got.prevY, want.prevY) &&
            sameBits(got.z, want.z) && sameBits(got.range, want.range));
    }
  }
}

void helpers(Input& in) {
  const vLVector2 a{in.number(), in.number(), 0}, b{in.number(), in.number(), 0};
  const float dir = vLPointDirection(a, b);
  check(std::isnan(dir) || (dir >= -180.0f && dir <= 180.0f));
  const float dist = vLPointDistance(a, b);
  check(std::isnan(dist) || dist >= 0.0f);
  const vLVector2 v = vLLengthdir(a.x, a.y);
  check(sameValue(v.x, vLLengthdirX(a.x, a.y)) && sameValue(v.y, vLLengthdirY(a.x, a.y)));
  vLDegtorad(b.x);
}

void matrixOp(Input& in, std::vector<vLMatrix>& matrices) {
  const std::uint8_t op = in.byte() % 6;
  const std::uint8_t first = in.byte(), second = in.byte();
  if (matrices.empty() || op == 0) {
    if (matrices.size() < kMaxMatrices) {
      matrices.emplace_back();
      matrices.back().NewMatrix();
    }
    return;
  }
  vLMatrix& m = matrices[first % matrices.size()];
  const vLMatrix& other = matrices[second % matrices.size()];
  switch (op) {
    case 1:
      m.Identity();
      break;
    case 2:
      m.Rotation(in.number(), in.number(), in.number());
      break;
    case 3:
      m.Multiply(m, other);
      break;
    case 4:
      m.Transponse();
      break;
    default:
      m.Transform({in.number(), in.number(), in.number()}, {0, 0, 0});
      break;
  }
}
// Masses on a lattice of `columns`, every third one twice as wide, spread over
// a few layers: enough of them, and close enough, for the index to matter.
void crowd(Input& in, std::vector<vLPhysX>& masses) {
  const int count = in.byte();
  const int columns = in.byte() % 16 + 1;
  const int layers = in.byte() % 3 + 1;
  const float spacing = in.number(), range = in.number();
  for (int n = 0; n < count && masses.size() < kMaxMasses; ++n) {
    const int i = static_cast<int>(masses.size());
    masses.emplace_back();
    vLPhysX& m = masses.back();
    m.NewPhysX();
    m.SetX(static_cast<float>(i % columns) * spacing);
    m.SetY(static_cast<float>(i / columns) * spacing);
    m.SetRange(i % 3 == 0 ? range * 2 : range);
    m.SetZ(static_cast<float>(i % layers));
  }
}

vLPhysX& addMass(std::vector<vLPhysX>& masses) {
  masses.emplace_back();
  masses.back().NewPhysX();
  return masses.back();
}

// Masses piled on one spot: stepped, they split into stacks, lines and rings.
void pile(Input& in, std::vector<vLPhysX>& masses) {
  const int count = in.byte();
  const float x = in.number(), y = in.number(), range = in.number();
  for (int n = 0; n < count && masses.size() < kMaxMasses; ++n) {
    vLPhysX& m = addMass(masses);
    m.Place(x, y);
    m.SetRange(range);
  }
}

// Masses scattered about a spot whose ranges span up to ten orders of
// magnitude: each byte scales the range by 2^((byte - 128) / 8).
void mixed(Input& in, std::vector<vLPhysX>& masses) {
  const int count = in.byte();
  const float range = in.number();
  for (int n = 0; n < count && masses.size() < kMaxMasses; ++n) {
    const int i = static_cast<int>(masses.size());
    vLPhysX& m = addMass(masses);
    m.Place(static_cast<float>(i * 37 % 41) * range, static_cast<float>(i * 53 % 43) * range);
    m.SetRange(static_cast<float>(range * std::exp2((in.byte() - 128) / 8.0)));
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  veltra::detail::resetTables();
  PhysXInertion(0.0f);
  stepsLeft = kMaxSteps;
  Input in(data, size);
  std::vector<vLPhysX> masses;
  std::vector<vLMatrix> matrices;
  auto pick = [&]() -> vLPhysX& { return masses[in.byte() % masses.size()]; };

  while (!in.empty()) {
    const auto op = static_cast<veltra::fuzz::PhysicsOp>(in.byte() % veltra::fuzz::kOpCount);
    if (masses.empty() && veltra::fuzz::namesMass(op)) continue;
    switch (op) {
      case veltra::fuzz::kNewMass:
        if (masses.size() < kMaxMasses) {
          masses.emplace_back();
          masses.back().NewPhysX();
          check(masses.back().handle == static_cast<int>(masses.size()) - 1);
        }
        break;
      case veltra::fuzz::kSetX: {
        vLPhysX& m = pick();
        const float v = in.number();
        m.SetX(v);
        check(sameBits(m.GetX(), v));
        break;
      }
      case veltra::fuzz::kSetY: {
        vLPhysX& m = pick();
        const float v = in.number();
        m.SetY(v);
        check(sameBits(m.GetY(), v));
        break;
      }
      case veltra::fuzz::kSetZ:
        pick().SetZ(in.number());
        break;
      case veltra::fuzz::kSetRange:
        pick().SetRange(in.number());
        break;
      case veltra::fuzz::kLinkForced: {
        vLPhysX& a = pick();
        vLPhysX& b = pick();
        a.LinkForced(b, in.number());
        break;
      }
      case veltra::fuzz::kLinkFree: {
        vLPhysX& a = pick();
        vLPhysX& b = pick();
        const float ax = a.GetX(), ay = a.GetY();
        a.LinkFree(b, in.number());
        if (a.handle != b.handle) check(sameBits(a.GetX(), ax) && sameBits(a.GetY(), ay));
        break;
      }
      case veltra::fuzz::kStep:
        stepAgainstReference();
        break;
      case veltra::fuzz::kInertion:
        PhysXInertion(in.number());
        break;
      case veltra::fuzz::kHelpers:
        helpers(in);
        break;
      case veltra::fuzz::kReserve:
        vLInitialize();
        break;
      case veltra::fuzz::kMatrix:
        matrixOp(in, matrices);
        break;
      case veltra::fuzz::kCrowd:
        crowd(in, masses);
        break;
      case veltra::fuzz::kPlace: {
        vLPhysX& m = pick();
        const float x = in.number(), y = in.number();
        m.Place(x, y);
        check(sameBits(m.GetX(), x) && sameBits(m.GetY(), y));
        const MassRecord& r = veltra::massTable().at(m.handle);
        check(sameBits(r.prevX, x) && sameBits(r.prevY, y));
        break;
      }
      case veltra::fuzz::kSetVelocity: {
        vLPhysX& m = pick();
        const float x = in.number(), y = in.number();
        m.SetVelocity(x, y);
        check(sameBits(m.GetVelX(), x) && sameBits(m.GetVelY(), y));
        break;
      }
      case veltra::fuzz::kPile:
        pile(in, masses);
        break;
      case veltra::fuzz::kMixed:
        mixed(in, masses);
        break;
      case veltra::fuzz::kSteps:
        for (int n = in.byte() % 24; n > 0; --n) stepAgainstReference();
        break;
      case veltra::fuzz::kContact: {
        // Only indices in range: one out of range ends the process by design.
        const int count = PhysXContactCount();
        if (count == 0) break;
        const vLContact c = PhysXContact(in.byte() % count);
        check(c.a != c.b && c.a >= 0 && c.b >= 0 && c.a < static_cast<int>(masses.size()) &&
              c.b < static_cast<int>(masses.size()));
        break;
      }
      case veltra::fuzz::kOpCount:
        break;
    }
  }
  check(veltra::massTable().count() == static_cast<int>(masses.size()));
  return 0;
}
