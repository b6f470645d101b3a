#include <cstdio>
#include <cstring>

#include "version.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Version %d.%d.0.%d\n", reelcatch::kVersionMajor, reelcatch::kVersionMinor,
                reelcatch::kRevision);
    return 0;
  }
  std::printf("usage: reelcatch-get [-d DIR] [-q] PAGE_URL...\n");
  return 0;
}
