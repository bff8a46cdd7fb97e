// Prints the scripted mix's hash and exits 0 only when it is the committed one.
#include <cstdio>

#include "sound_script.h"

int main() {
  const unsigned long long got = scriptedMixHash();
  std::printf("scripted mix hash %016llx, committed %016llx\n", got, static_cast<unsigned long long>(kScriptedMixHash));
  return got == kScriptedMixHash ? 0 : 1;
}
