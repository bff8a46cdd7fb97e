// What the Direct3D 9 backend must survive beyond the shared pixel suite.
#include <windows.h>

#include <cstdlib>

#include "headless.h"

using D3D9DeathTest = Headless;

TEST_F(D3D9DeathTest, PresentingAfterTheWindowIsGoneEndsWell) {
  // A game draws on until its quit message arrives, after its window is
  // destroyed. Presenting to the gone window corrupts Wine's heap now and then
  // (about one run in six), so the process may crash at any later point: run
  // the game's case a few times to the end.
  for (int run = 0; run < 3; ++run) {
    EXPECT_EXIT(
        {
          HWND doomed = CreateWindowExA(0, "STATIC", "doomed", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 640, 480,
                                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
          if (!device.CreateDevice(doomed)) std::exit(2);
          ShowWindow(doomed, SW_SHOW);
          device.Clear(1, 2, 3);
          device.DrawAll();
          DestroyWindow(doomed);
          for (int frame = 0; frame < 5; ++frame) {
            device.Clear(1, 2, 3);
            device.BeginRender();
            device.EndRender();
            device.DrawAll();
          }
          std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
  }
}
