// 4x4 single-precision maths for vLMatrix.
// Row-major (element r, c at 4r + c); row vectors multiply on the left, so
// a x b applies a first.
#pragma once

namespace veltra {

struct Matrix {
  float m[16];
};

Matrix identityMatrix();
Matrix multiply(const Matrix& a, const Matrix& b);
Matrix transpose(const Matrix& a);
// Roll about z first, then pitch about x, then yaw about y (radians).
Matrix rotationYawPitchRoll(float yaw, float pitch, float roll);
// (x, y, z, 1) x m, dropping w.
void transformPoint(const Matrix& m, float x, float y, float z, float out[3]);

}  // namespace veltra
