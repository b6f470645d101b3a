// Every site rule over one page address and one page: the first line of the
// input is the address, the rest the page. Rules must never throw, and what
// they give back keeps the shape each rule builds.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "fuzz_support.h"
#include "resolve/site_rules.h"
#include "resolve/site_table.h"
#include "resolve/text_ops.h"
#include "resolve/unescape_url.h"

namespace {

using reelcatch::ContainsNoCase;
using reelcatch::fuzz::Check;

// The rules read their page from a file; one file per process, rewritten for
// every input, keeps the cost of a run low.
class PageFile {
 public:
  PageFile() {
    // Memory-backed when the machine has it: the page is rewritten per input.
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string name = folder + "/reelcatch-fuzz-page-XXXXXX";
    fd_ = mkstemp(name.data());
    if (fd_ < 0) reelcatch::fuzz::Fail("cannot make the page file", name);
    // Gone from the folder at once, so a crashing run leaves nothing behind;
    // the rules still open it through the descriptor.
    unlink(name.c_str());
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~PageFile() { close(fd_); }

  const std::string& Write(const std::string& page) {
    bool written = ftruncate(fd_, 0) == 0 &&
                   pwrite(fd_, page.data(), page.size(), 0) == static_cast<ssize_t>(page.size());
    if (!written) reelcatch::fuzz::Fail("cannot write the page file", path_);
    return path_;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

bool EndsWithNoCase(const std::string& text, const char* tail) {
  std::string end(tail);
  return text.size() >= end.size() &&
         ContainsNoCase(std::string_view(text).substr(text.size() - end.size()), end);
}

bool StartsWithNoCase(const std::string& text, const char* head) {
  std::string start(head);
  return text.size() >= start.size() &&
         ContainsNoCase(std::string_view(text).substr(0, start.size()), start);
}

void CheckShape(int site, const std::string& page, const std::string& link) {
  using namespace reelcatch;
  if (page.empty()) {
    Check(link.empty(), "no page, no link", link);
    return;
  }
  if (link.empty()) return;
  switch (site) {
    case kSiteGoogleVideo:
      if (!ContainsNoCase(page, "ipoddownloadlink")) {
        Check(link.size() <= kMaxUnescapedLength, "player link within the limit");
      }
      break;
    case kSiteYouTube:
      Check(link.ends_with(std::string("&s=") + kYouTubeSignature), "signed YouTube link", link);
      break;
    case kSiteBolt:
      Check(ContainsNoCase(link, ".flv"), "Bolt link names a movie", link);
      break;
    case kSiteAngryAlien:
    case kSiteThatVideoSite:
      Check(ContainsNoCase(link, "http"), "embedded source is absolute", link);
      break;
    case kSiteMySpace:
    case kSiteIFilm:
    case kSiteBreak:
      Check(link.starts_with(MediaHost(site) + "/"), "link on the media server", link);
      break;
    case kSiteDailymotion:
      Check(link.size() <= kMaxUnescapedLength, "Dailymotion link within the limit");
      break;
    case kSitePutFile:
      Check(StartsWithNoCase(link, "http"), "PutFile link starts with http", link);
      Check(EndsWithNoCase(link, ".flv") || EndsWithNoCase(link, ".wmv"),
            "PutFile link ends with the extension", link);
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static PageFile pageFile;
  reelcatch::fuzz::Input input(data, size);
  std::string address = input.Until('\n');
  std::string page = input.Rest();
  const std::string& path = pageFile.Write(page);

  try {
    for (const auto& site : reelcatch::SiteTable()) {
      CheckShape(site.id, page, reelcatch::RunSiteRule(site.id, address, path));
    }
    for (int site : {reelcatch::kSiteNone, 0, 7, 14}) {
      Check(reelcatch::RunSiteRule(site, address, path).empty(), "no rule, no link");
    }
  } catch (const std::exception& error) {
    reelcatch::fuzz::Fail("a rule threw", error.what());
  }
  return 0;
}
