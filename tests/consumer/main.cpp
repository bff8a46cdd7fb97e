// A program outside the engine's tree: it sees only the installed header and
// library, and checks a few exact results so a wrong or stale library fails.
#include <veltra/veltra.h>

#include <cstdio>

static int failures = 0;

static void expect(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "consumer: %s\n", what);
    ++failures;
  }
}

int main() {
  expect(vLPointDirection({0, 0, 0}, {0, 1, 0}) == 90.0f, "vLPointDirection((0,0),(0,1)) != 90");
  expect(vLPointDistance({0, 0, 0}, {3, 4, 0}) == 5.0f, "vLPointDistance((0,0),(3,4)) != 5");

  vLPhysX a, b;
  a.NewPhysX();
  b.NewPhysX();
  b.SetX(10);
  a.LinkForced(b, 20);
  expect(a.GetX() == -5.0f && b.GetX() == 15.0f, "LinkForced(20) does not centre the pair on x = 5");

  vLMatrix m;
  m.NewMatrix();
  expect(m.Get(0, 0) == 1.0f && m.Get(0, 1) == 0.0f, "NewMatrix is not the identity");

  // The device's symbols are there too; with no window it only says why not.
  vLDevice device;
  expect(!device.CreateDevice(nullptr), "CreateDevice(nullptr) succeeded");

  if (failures != 0) return 1;
  std::puts("consumer: ok");
  return 0;
}
