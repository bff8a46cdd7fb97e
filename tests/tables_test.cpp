#include <cstdlib>
#include <new>

#include "fresh_engine.h"

using Tables = FreshEngine;

TEST_F(Tables, HandlesCountFromZeroPerTable) {
  vLPhysX a, b;
  a.NewPhysX();
  b.NewPhysX();
  vLMatrix m;
  m.NewMatrix();
  EXPECT_EQ(a.handle, 0);
  EXPECT_EQ(b.handle, 1);
  EXPECT_EQ(m.handle, 0);  // tables number independently
  EXPECT_EQ(veltra::massTable().count(), 2);
  EXPECT_EQ(veltra::matrixTable().count(), 1);

  // A second creation on the same object hands out a new handle; the old record stays.
  a.NewPhysX();
  EXPECT_EQ(a.handle, 2);
  EXPECT_EQ(veltra::massTable().size(), 3u);
}

TEST_F(Tables, CopiesNameTheSameObject) {
  vLPhysX a;
  a.NewPhysX();
  vLPhysX b;
  b = a;
  b.SetX(7.5f);
  EXPECT_EQ(a.GetX(), 7.5f);
  vLPhysX c(a);
  c.SetRange(3);
  EXPECT_EQ(b.GetRange(), 3.0f);
}

TEST_F(Tables, GrowByHalfAgainAndKeepContents) {
  auto& table = veltra::massTable();
  std::vector<vLPhysX> masses(100);
  std::size_t lastCapacity = 0;
  for (int i = 0; i < 100; ++i) {
    masses[i].NewPhysX();
    masses[i].SetX(static_cast<float>(i));
    const std::size_t cap = table.capacity();
    if (cap != lastCapacity) {
      EXPECT_EQ(cap, std::max(lastCapacity + lastCapacity / 2, lastCapacity + 1)) << "at creation " << i;
      lastCapacity = cap;
    }
  }
  for (int i = 0; i < 100; ++i) EXPECT_EQ(masses[i].GetX(), static_cast<float>(i));
}

TEST_F(Tables, InitializeReservesFiftyWithoutChangingHandles) {
  std::vector<vLPhysX> masses(10);
  for (int i = 0; i < 10; ++i) {
    masses[i].NewPhysX();
    masses[i].SetY(static_cast<float>(i) * 2);
  }
  vLInitialize();
  auto& table = veltra::massTable();
  EXPECT_EQ(table.capacity(), 50u);
  EXPECT_EQ(table.count(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(masses[i].GetY(), static_cast<float>(i) * 2);
  vLInitialize();  // twice is once
  EXPECT_EQ(table.capacity(), 50u);

  const veltra::MassRecord* storage = table.data();
  vLPhysX more;
  for (int i = 10; i < 50; ++i) more.NewPhysX();
  EXPECT_EQ(table.data(), storage);  // the first 50 need no new storage
  EXPECT_EQ(veltra::textureTable().capacity(), 50u);
  EXPECT_EQ(veltra::fontTable().capacity(), 50u);
  EXPECT_EQ(veltra::spriteTable().capacity(), 50u);
  EXPECT_EQ(veltra::matrixTable().capacity(), 50u);
}

TEST_F(Tables, InitializeNeverShrinks) {
  vLPhysX m;
  for (int i = 0; i < 60; ++i) m.NewPhysX();
  const std::size_t cap = veltra::massTable().capacity();
  vLInitialize();
  EXPECT_EQ(veltra::massTable().capacity(), cap);
  EXPECT_EQ(m.handle, 59);
}

namespace {
bool gFailAllocations = false;
}

// Replaced for this test program so a test can make the next growth fail.
void* operator new(std::size_t size) {
  if (gFailAllocations) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST_F(Tables, FailedGrowthChangesNothing) {
  vLPhysX m;
  m.NewPhysX();
  m.NewPhysX();
  auto& table = veltra::massTable();
  while (table.size() < table.capacity()) m.NewPhysX();
  const std::size_t size = table.size(), cap = table.capacity();
  const int count = table.count(), handle = m.handle;
  const veltra::MassRecord* storage = table.data();

  gFailAllocations = true;
  EXPECT_THROW(m.NewPhysX(), std::bad_alloc);
  gFailAllocations = false;

  EXPECT_EQ(table.size(), size);
  EXPECT_EQ(table.capacity(), cap);
  EXPECT_EQ(table.count(), count);
  EXPECT_EQ(table.data(), storage);
  EXPECT_EQ(m.handle, handle);
  m.NewPhysX();  // and the table still works
  EXPECT_EQ(m.handle, count);
}

using TablesDeathTest = FreshEngine;

TEST_F(TablesDeathTest, BadHandlesEndTheProcess) {
  vLPhysX m;
  m.NewPhysX();
  vLPhysX past;
  past.handle = 1;  // equal to the table's length
  EXPECT_DEATH(past.GetX(), "veltra: bad mass handle 1 \\(the table holds 1\\)");
  vLPhysX negative;
  negative.handle = -7;
  EXPECT_DEATH(negative.SetX(1), "veltra: bad mass handle -7 \\(the table holds 1\\)");
  // -1 is every handle before its creation: the line says what to call.
  vLPhysX never;
  EXPECT_DEATH(never.SetX(1), "veltra: SetX: the vLPhysX has no mass \\(handle -1\\): call NewPhysX\\(\\) first");
  vLMatrix unset;
  EXPECT_DEATH(unset.Identity(),
               "veltra: Identity: the vLMatrix has no matrix \\(handle -1\\): call NewMatrix\\(\\) first");
  vLPhysX other;
  other.handle = 5;
  EXPECT_DEATH(m.LinkFree(other, 1), "bad mass handle 5");
}

#if defined(_WIN32)
// The status of the C runtime's invalid-parameter termination, whole (a POSIX
// shell sees only its low byte), after the one stderr line.
TEST_F(TablesDeathTest, BadHandleEndsWithInvalidParameterStatus) {
  vLMatrix unset;
  EXPECT_EXIT(unset.Identity(), ::testing::ExitedWithCode(static_cast<int>(0xC0000417u)),
              "veltra: Identity: the vLMatrix has no matrix \\(handle -1\\)");
  vLPhysX mass;
  mass.NewPhysX();
  vLPhysX past;
  past.handle = 1;
  EXPECT_EXIT(past.GetX(), ::testing::ExitedWithCode(static_cast<int>(0xC0000417u)), "veltra: bad mass handle 1");
}
#endif
