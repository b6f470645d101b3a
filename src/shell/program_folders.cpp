#include "shell/program_folders.h"

#include <filesystem>
#include <system_error>

namespace reelcatch {

namespace {

namespace fs = std::filesystem;

// The first of programDir and programDir/../installed that holds name.
std::string HolderOf(const std::string& programDir, const char* installed, const char* name) {
  std::error_code error;
  if (fs::exists(fs::path(programDir) / name, error)) return programDir;
  fs::path other = (fs::path(programDir).parent_path() / installed).lexically_normal();
  if (fs::exists(other / name, error)) return other.string();
  return programDir;
}

}  // namespace

ProgramFolders FindProgramFolders(const std::string& programDir) {
  return {HolderOf(programDir, "share/reelcatch", "Main.qml"),
          HolderOf(programDir, "lib/reelcatch", "reelcatch-clip")};
}

}  // namespace reelcatch
