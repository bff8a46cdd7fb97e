// What the web backend does beyond the shared pixel suite.
#include "pixel_checks.h"

using WebDevice = Headless;

TEST_F(WebDevice, Placeholder) { SUCCEED(); }
