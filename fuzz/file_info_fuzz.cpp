// The local file name GetFileInfo derives from any video address: usable,
// not hidden, short enough for the file system, cut on character boundaries
// and keeping the extension the sites without one are given. The address
// carries a scheme the control refuses at once, so no request leaves the
// machine.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/event_loop.h"
#include "resolve/file_naming.h"
#include "resolve/site_table.h"
#include "run/file_info.h"
#include "transfer/download.h"

namespace {

using reelcatch::fuzz::Check;
using reelcatch::fuzz::IsValidUtf8;

class IdleLoop : public reelcatch::EventLoop {
 public:
  void DoEvents() override {}
};

constexpr int kSites[] = {reelcatch::kSiteYouTube, reelcatch::kSiteDailymotion,
                          reelcatch::kSiteZippyVideos, reelcatch::kSiteBolt,
                          reelcatch::kSiteGoogleVideo};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static IdleLoop loop;
  static reelcatch::Download control(loop);

  reelcatch::fuzz::Input input(data, size);
  int site = kSites[input.Byte() % std::size(kSites)];
  std::string tail = input.Rest();
  // A zero byte would end the address early on its way to the network library.
  tail = tail.substr(0, tail.find('\0'));
  std::string link = "ftp://" + tail;

  reelcatch::FileInfo info = reelcatch::GetFileInfo(control, link, site);
  const std::string& name = info.FileName;
  static constexpr std::string_view kRemoved("\\/:*?\"<>|&\0", 11);
  Check(!name.empty() && name != "." && name != "..", "a usable name", name);
  Check(name.find_first_of(kRemoved) == std::string::npos, "no removed character", name);
  Check(name.front() != '.', "never hidden", name);
  Check(name.size() <= reelcatch::kMaxFileNameBytes, "fits the file system", name);
  Check(reelcatch::Utf8Length(name) <= (site == reelcatch::kSiteYouTube ? 35u : 100u),
        "within the site's character limit", name);
  if (IsValidUtf8(link)) Check(IsValidUtf8(name), "cuts keep UTF-8 whole", name);
  bool addsExtension = site == reelcatch::kSiteYouTube || site == reelcatch::kSiteDailymotion ||
                       site == reelcatch::kSiteZippyVideos;
  if (addsExtension) Check(name.ends_with(".flv"), "the added extension survives", name);
  Check(control.StatusCode() == 0, "nothing answered");
  return 0;
}
