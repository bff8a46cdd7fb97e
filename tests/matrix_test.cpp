#include <cmath>
#include <random>

#include "fresh_engine.h"

using Matrices = FreshEngine;

namespace {
vLMatrix newMatrix() {
  vLMatrix m;
  m.NewMatrix();
  return m;
}

veltra::Matrix& cells(vLMatrix m) { return veltra::matrixTable().at(m.handle); }

void fillRandom(vLMatrix m, std::mt19937& rng) {
  std::uniform_real_distribution<float> value(-4, 4);
  for (float& f : cells(m).m) f = value(rng);
}

void expectNear(vLMatrix m, const float (&expected)[16], float tolerance) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.Get(i / 4, i % 4), expected[i], tolerance) << "element " << i;
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}  // namespace

TEST_F(Matrices, NewMatricesAreIdentitiesAndCopiesShareThem) {
  vLMatrix a = newMatrix(), b = newMatrix();
  EXPECT_EQ(a.handle, 0);
  EXPECT_EQ(b.handle, 1);
  expectNear(a, kIdentity, 0);
  vLMatrix c;
  c = a;
  cells(a).m[3] = 9;
  c.Identity();
  expectNear(a, kIdentity, 0);
}

TEST_F(Matrices, MultiplyAppliesTheLeftFactorFirst) {
  std::mt19937 rng(7);
  vLMatrix id = newMatrix(), b = newMatrix(), out = newMatrix();
  fillRandom(b, rng);
  out.Multiply(id, b);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(cells(out).m[i], cells(b).m[i]);

  // Translate then rotate is not rotate then translate: a point goes through a first.
  vLMatrix move = newMatrix(), turn = newMatrix(), both = newMatrix();
  cells(move).m[12] = 10;  // +10 along x
  turn.Rotation(0, 0, vLDegtorad(90));
  both.Multiply(move, turn);
  const vLVector2 p = both.Transform(vLVector2{1, 0, 0}, vLVector2{99, 99, 99});
  EXPECT_NEAR(p.x, 0, 1e-5);
  EXPECT_NEAR(p.y, 11, 1e-5);
}

TEST_F(Matrices, MultiplyIntoAFactorUsesItsOldValue) {
  std::mt19937 rng(8);
  vLMatrix m = newMatrix(), n = newMatrix(), copy = newMatrix(), expected = newMatrix();
  fillRandom(m, rng);
  fillRandom(n, rng);
  cells(copy) = cells(m);
  expected.Multiply(copy, n);
  m.Multiply(m, n);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(cells(m).m[i], cells(expected).m[i]);
  n.Multiply(copy, n);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(cells(n).m[i], cells(expected).m[i]);
  m.Multiply(m, m);  // squares from the old value too
}

TEST_F(Matrices, TransposeTwiceIsTheStart) {
  std::mt19937 rng(9);
  vLMatrix m = newMatrix();
  fillRandom(m, rng);
  const veltra::Matrix start = cells(m);
  m.Transponse();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(m.Get(r, c), start.m[4 * c + r]);
  m.Transponse();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(cells(m).m[i], start.m[i]);
}

TEST_F(Matrices, RotationsTurnAboutTheirOwnAxes) {
  vLMatrix m = newMatrix();
  m.Rotation(0, 0, 0);
  expectNear(m, kIdentity, 0);

  const float t = 0.5f, c = std::cos(t), s = std::sin(t);
  m.Rotation(t, 0, 0);  // pitch about x
  const float aboutX[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
  expectNear(m, aboutX, 1e-6f);
  m.Rotation(0, t, 0);  // yaw about y
  const float aboutY[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
  expectNear(m, aboutY, 1e-6f);
  m.Rotation(0, 0, t);  // roll about z
  const float aboutZ[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  expectNear(m, aboutZ, 1e-6f);
}

TEST_F(Matrices, RotationAppliesRollThenPitchThenYaw) {
  vLMatrix all = newMatrix(), rz = newMatrix(), rx = newMatrix(), ry = newMatrix(), step = newMatrix();
  all.Rotation(0.3f, -1.1f, 2.0f);
  rz.Rotation(0, 0, 2.0f);
  rx.Rotation(0.3f, 0, 0);
  ry.Rotation(0, -1.1f, 0);
  step.Multiply(rz, rx);
  step.Multiply(step, ry);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(cells(all).m[i], cells(step).m[i], 1e-6f);
  // A rotation keeps lengths.
  const vLVector2 p = all.Transform(vLVector2{3, 4, 12}, vLVector2{});
  EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 13.0f, 1e-5f);
}

TEST_F(Matrices, TransformTakesAPointAndChangesNoMatrix) {
  vLMatrix m = newMatrix();
  cells(m).m[12] = 1, cells(m).m[13] = 2, cells(m).m[14] = 3;
  const veltra::Matrix before = cells(m);
  const vLVector2 p = m.Transform(vLVector2{1, 1, 1}, vLVector2{NAN, NAN, NAN});
  EXPECT_EQ(p.x, 2.0f);
  EXPECT_EQ(p.y, 3.0f);
  EXPECT_EQ(p.z, 4.0f);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(cells(m).m[i], before.m[i]);
}

using MatricesDeathTest = FreshEngine;

TEST_F(MatricesDeathTest, BadElementsAndHandlesEndTheProcess) {
  vLMatrix m = newMatrix();
  EXPECT_DEATH(m.Get(4, 0), "veltra: matrix element \\(4, 0\\) out of range");
  EXPECT_DEATH(m.Get(0, -1), "out of range");
  vLMatrix ghost;
  ghost.handle = 1;
  EXPECT_DEATH(m.Multiply(m, ghost), "veltra: bad matrix handle 1");
  EXPECT_DEATH(ghost.Transform(vLVector2{}, vLVector2{}), "bad matrix handle 1");
}
