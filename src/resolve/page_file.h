#pragma once

#include <string>

#include "platform/private_folder.h"

namespace reelcatch {

// The file a page is fetched into for its site's rule to read. Every process
// has its own, named after it, so two programs running at once never read
// each other's pages. It lives in the user's private folder and goes when it
// is no longer needed; page files of processes that have ended without
// removing theirs are removed when the next one is made.
class PageFile {
 public:
  PageFile() = default;
  // Makes this process's page file in folder, "Parse-PID-TICKS.pgd" (TICKS
  // tells it from a later process given the same id); when that is not
  // possible there is none and Error() says why.
  explicit PageFile(const PrivateFolder& folder);
  ~PageFile();
  PageFile(PageFile&& other) noexcept;
  PageFile& operator=(PageFile&& other) noexcept;
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  bool Usable() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  const std::string& Error() const { return error_; }
  // Removes it now: for a program about to end without unwinding.
  void Remove();

 private:
  std::string path_;
  std::string error_;
};

}  // namespace reelcatch
