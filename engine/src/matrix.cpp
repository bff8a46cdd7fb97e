#include "matrix.h"

#include <cmath>

#include "tables.h"
#include "veltra/veltra.h"

namespace veltra {

Matrix identityMatrix() {
  Matrix r{};
  r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
  return r;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
  // Built into a local, so a or b may alias the destination of the caller.
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[4 * i + k] * b.m[4 * k + j];
      r.m[4 * i + j] = sum;
    }
  }
  return r;
}

Matrix transpose(const Matrix& a) {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[4 * i + j] = a.m[4 * j + i];
  return r;
}

Matrix rotationYawPitchRoll(float yaw, float pitch, float roll) {
  const float cz = std::cos(roll), sz = std::sin(roll);
  const float cx = std::cos(pitch), sx = std::sin(pitch);
  const float cy = std::cos(yaw), sy = std::sin(yaw);
  Matrix rz = identityMatrix(), rx = identityMatrix(), ry = identityMatrix();
  rz.m[0] = cz, rz.m[1] = sz, rz.m[4] = -sz, rz.m[5] = cz;
  rx.m[5] = cx, rx.m[6] = sx, rx.m[9] = -sx, rx.m[10] = cx;
  ry.m[0] = cy, ry.m[2] = -sy, ry.m[8] = sy, ry.m[10] = cy;
  return multiply(multiply(rz, rx), ry);
}

void transformPoint(const Matrix& m, float x, float y, float z, float out[3]) {
  for (int j = 0; j < 3; ++j) out[j] = x * m.m[j] + y * m.m[4 + j] + z * m.m[8 + j] + m.m[12 + j];
}

}  // namespace veltra

using veltra::matrixTable;

void vLMatrix::NewMatrix() { handle = matrixTable().append(veltra::identityMatrix()); }

void vLMatrix::Identity() { matrixTable().at(handle, "Identity") = veltra::identityMatrix(); }

void vLMatrix::Multiply(vLMatrix a, vLMatrix b) {
  auto& table = matrixTable();
  const veltra::Matrix product = veltra::multiply(table.at(a.handle, "Multiply"), table.at(b.handle, "Multiply"));
  table.at(handle, "Multiply") = product;
}

void vLMatrix::Rotation(float x, float y, float z) {
  matrixTable().at(handle, "Rotation") = veltra::rotationYawPitchRoll(y, x, z);
}

void vLMatrix::Transponse() {
  veltra::Matrix& m = matrixTable().at(handle, "Transponse");
  m = veltra::transpose(m);
}

vLVector2 vLMatrix::Transform(vLVector2 v, vLVector2) {
  float out[3];
  veltra::transformPoint(matrixTable().at(handle, "Transform"), v.x, v.y, v.z, out);
  return vLVector2{out[0], out[1], out[2]};
}

float vLMatrix::Get(int row, int col) {
  const veltra::Matrix& m = matrixTable().at(handle, "Get");
  if (row < 0 || row > 3 || col < 0 || col > 3)
    veltra::detail::badArgument("matrix element (%d, %d) out of range: rows and columns run 0 to 3", row, col);
  return m.m[4 * row + col];
}
