// Proves the sanitizer build catches and stops on what it is there for: each
// mode commits one fault, then prints "survived" if the program went on.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  volatile int index = 8;
  if (std::strcmp(mode, "heap") == 0) {
    int* block = new int[8];
    block[index] = 1;
    delete[] block;
  } else if (std::strcmp(mode, "float-cast") == 0) {
    volatile float far = 3e9f;
    volatile int truncated = static_cast<int>(far);
    (void)truncated;
  } else if (std::strcmp(mode, "leak") == 0) {
    void* volatile lost = std::malloc(64);
    lost = nullptr;
    (void)lost;
    std::puts("survived");
    return 0;  // the leak check runs at exit
  }
  std::puts("survived");
  return 0;
}
