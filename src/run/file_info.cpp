#include "run/file_info.h"

#include "resolve/site_table.h"
#include "run/file_naming.h"
#include "transfer/download.h"

namespace reelcatch {

namespace {

// Without the locale, which may fold other letters (a Turkish "I").
std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string AfterLastSlash(const std::string& link) {
  size_t slash = link.rfind('/');
  return slash == std::string::npos ? link : link.substr(slash + 1);
}

std::string NameFromServerOrLink(const Download& control, const std::string& link) {
  std::string ext = LowerAscii(Utf8Right(link, 4));
  bool videoExt = ext == ".wmv" || ext == ".flv";
  if (!videoExt && !control.RemoteFileName().empty()) return control.RemoteFileName();
  if (videoExt && link.find('/') != std::string::npos) return AfterLastSlash(link);
  return CleanFileName(AfterLastSlash(link));
}

// Cuts a name to what the file system takes, on a character boundary,
// keeping its last four characters (normally the extension).
std::string FitFileSystem(const std::string& name) {
  if (name.size() <= kMaxFileNameBytes) return name;
  std::string tail = Utf8Right(name, 4);
  if (tail.size() >= kMaxFileNameBytes) tail.clear();
  std::string head = name.substr(0, name.size() - tail.size());
  size_t room = kMaxFileNameBytes - tail.size();
  size_t chars = Utf8Length(head);
  while (chars > 0 && Utf8Left(head, chars).size() > room) --chars;
  return Utf8Left(head, chars) + tail;
}

}  // namespace

FileInfo GetFileInfo(Download& control, const std::string& link, int site) {
  control.SetUrl(link);
  control.RequestInformation();

  FileInfo info;
  info.FileSize = FormatFileSize(control.FileSize());
  if (control.FileSize() == -1.0f && control.FileExists()) info.FileSize = "0";

  std::string name = NameFromServerOrLink(control, link);
  if (site == kSiteYouTube || site == kSiteDailymotion || site == kSiteZippyVideos) {
    name += ".flv";
  }
  name = CutFileName(name, 100, 4);
  if (site == kSiteYouTube) name = CutFileName(name, 35, 4);
  info.FileName = FitFileSystem(CleanFileName(name));
  return info;
}

}  // namespace reelcatch
