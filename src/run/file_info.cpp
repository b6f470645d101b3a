#include "run/file_info.h"

#include "platform/ascii.h"
#include "resolve/file_naming.h"
#include "resolve/item_texts.h"
#include "resolve/media_types.h"
#include "resolve/site_table.h"
#include "transfer/download.h"
#include "transfer/web_address.h"

namespace reelcatch {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of the escapes ("%E6%97%A5") that start at from, and where the
// run of escapes ends.
std::string EscapedBytes(const std::string& text, size_t from, size_t& end) {
  std::string bytes;
  end = from;
  while (end + 2 < text.size() && text[end] == '%' && HexValue(text[end + 1]) >= 0 &&
         HexValue(text[end + 2]) >= 0) {
    bytes += static_cast<char>(HexValue(text[end + 1]) * 16 + HexValue(text[end + 2]));
    end += 3;
  }
  return bytes;
}

// A name from a link's last part with its escaped characters decoded, so a
// name in another script is readable. Bytes that do not make a well-formed
// UTF-8 character, and control characters, stay escaped as written.
std::string DecodedName(const std::string& part) {
  std::string name;
  size_t at = 0;
  while (at < part.size()) {
    size_t end = at;
    std::string bytes = EscapedBytes(part, at, end);
    if (bytes.empty()) {
      name += part[at++];
      continue;
    }
    for (size_t i = 0; i < bytes.size();) {
      std::string character = Utf8Left(bytes.substr(i), 1);
      auto lead = static_cast<unsigned char>(character[0]);
      bool control = lead < 0x20 || lead == 0x7f;
      bool wellFormed = lead < 0x80 || character.size() > 1;
      name += wellFormed && !control ? character : part.substr(at + 3 * i, 3 * character.size());
      i += character.size();
    }
    at = end;
  }
  return name;
}

std::string AfterLastSlash(const std::string& link) {
  size_t slash = link.rfind('/');
  return slash == std::string::npos ? link : link.substr(slash + 1);
}

std::string NameFromServerOrLink(const Download& control, const std::string& link) {
  std::string ext = LowerAscii(Utf8Right(link, 4));
  bool videoExt = ext == ".wmv" || ext == ".flv";
  if (!videoExt && !control.RemoteFileName().empty()) return control.RemoteFileName();
  if (videoExt && link.find('/') != std::string::npos) return DecodedName(AfterLastSlash(link));
  return CleanFileName(DecodedName(AfterLastSlash(link)));
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

// A name from a server or a link never hides its file, nor lands on one of
// the user's dot files: its leading dots become "_". The extension a site's
// names are given keeps its dot ("..." of such a site is "___.flv").
std::string NotHidden(const std::string& name, bool siteExtension) {
  size_t stemSize = siteExtension && name.ends_with(".flv") ? name.size() - 4 : name.size();
  std::string stem = name.substr(0, stemSize);
  for (char& c : stem) {
    if (c != '.') break;
    c = '_';
  }
  if (stem.empty() && stemSize < name.size()) stem = "_";
  return stem + name.substr(stemSize);
}

std::string SizeText(const Download& control) {
  if (control.FileSize() == -1.0f && control.FileExists()) return "0";
  return FormatFileSize(control.FileSize());
}

// A video found by the general rule: the server's name, else the last part
// of the video's path, else the page's title. A name that is not the
// server's gets the extension of the media type when it has none.
std::string OtherSiteName(const Download& control, const std::string& link,
                          const std::string& pageTitle) {
  std::string name = CleanFileName(control.RemoteFileName());
  if (!control.RemoteFileName().empty() && name != texts::kEnterFileName) return name;
  std::string extension = ExtensionForType(control.RemoteMediaType());
  name = CleanFileName(DecodedName(AfterLastSlash(WebAddressPath(link))));
  if (name != texts::kEnterFileName) {
    return name.find('.') == std::string::npos ? name + extension : name;
  }
  name = CleanFileName(pageTitle);
  return (name == texts::kEnterFileName ? "video" : name) + extension;
}

}  // namespace

FileInfo GetOtherSiteFileInfo(Download& control, const std::string& link,
                              const std::string& pageTitle) {
  control.SetUrl(link);
  control.RequestInformation();
  std::string name = CutFileName(OtherSiteName(control, link, pageTitle), 100, 4);
  return {NotHidden(FitFileSystem(CleanFileName(name)), false), SizeText(control)};
}

FileInfo GetFileInfo(Download& control, const std::string& link, int site) {
  control.SetUrl(link);
  control.RequestInformation();

  FileInfo info;
  info.FileSize = SizeText(control);

  std::string name = NameFromServerOrLink(control, link);
  bool siteExtension = site == kSiteYouTube || site == kSiteDailymotion || site == kSiteZippyVideos;
  if (siteExtension) name += ".flv";
  name = CutFileName(name, 100, 4);
  if (site == kSiteYouTube) name = CutFileName(name, 35, 4);
  info.FileName = NotHidden(FitFileSystem(CleanFileName(name)), siteExtension);
  return info;
}

}  // namespace reelcatch
