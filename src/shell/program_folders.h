#pragma once

#include <string>

namespace reelcatch {

// The two folders of what lies beside the program: its face (Main.qml and
// the files it loads), help page and icon; and its clipboard watcher. Run
// from the build tree, or from any folder that holds them, both are the
// program's own folder.
struct ProgramFolders {
  std::string face;
  std::string watcher;
};

// The folders for a program in programDir. A Debian-style installation keeps
// the face under share/ and the watcher, which no user runs by hand, under
// lib/; each is looked for there only when programDir does not hold it, and
// when neither holds it, programDir it is.
ProgramFolders FindProgramFolders(const std::string& programDir);

}  // namespace reelcatch
