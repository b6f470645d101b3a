#include <optional>
#include <string>

#include "platform/ascii.h"
#include "resolve/get_download_link.h"
#include "resolve/media_types.h"
#include "resolve/site_table.h"
#include "run/download_run.h"
#include "run/file_info.h"
#include "transfer/web_address.h"

namespace reelcatch {

std::string DownloadRun::PrepareItem(int16_t index) {
  linkIsStream_ = false;
  if (!list_.Exists(index)) return link_results::kNoSite;
  SetCurrentItem(index);
  // Added while other sites were refused, and tried now that they are not:
  // its "ERROR" is a placeholder, not a name.
  const DownloadItem& given = list_.At(index);
  const bool refusedWhenAdded =
      given.Status == texts::kNotSupported && given.FileName == texts::kError;
  SetStatus(index, texts::kPreparingStart);
  display_.FillDownloadList();

  // The refill let the window run: the item may have moved or gone.
  int position = CurrentPosition();
  if (position < 0) return link_results::kNoSite;
  std::string pageAddress = list_.At(position).Video_URL;
  // Resolved by the general rule: named by its own rule too.
  const bool otherSite =
      settings_.AnySite && GetSiteId(pageAddress) == -1 && IsWebAddress(pageAddress);
  if (!pageFile_.Usable() && (GetSiteId(pageAddress) != -1 || otherSite)) {
    FailItem(position, reasons::kNoPageFile + pageFile_.Error());
    return link_results::kNoSite;
  }
  std::string pageTitle;
  std::string link = GetDownloadLink(pageAddress, control_, state_, pageFile_.Path(),
                                     settings_.AnySite, &pageTitle);
  position = CurrentPosition();
  // Stopped: the item is not failed, and nothing more is asked of any server.
  if (position < 0 || state_.CancelRequested) return link_results::kNoSite;
  DownloadItem* item = &list_.Edit(position);
  const bool found = link != link_results::kNoSite && link != link_results::kNotFetched &&
                     link != link_results::kNotFound;
  if (found) item->MediaUrl = link;
  if (link == link_results::kNoSite) {
    item->FileName = texts::kUnsupportedLink;
    FailItem(position, reasons::kNotSupported);
    return link_results::kNoSite;
  }
  if (link == link_results::kNotFound) {
    item->FileName = texts::kProcessFailed;
    FailItem(position, reasons::kNoVideo);
    return link_results::kNoSite;
  }
  if (link == link_results::kNotFetched) {
    FailItem(position, PageFailure());
    return link_results::kNoSite;
  }

  // An address that is the video itself had no page to fetch.
  if (otherSite && link == pageAddress) WriteStatus(texts::kStartDownloading, false);
  std::optional<FileInfo> info;
  try {
    info = otherSite ? GetOtherSiteFileInfo(control_, link, pageTitle)
                     : GetFileInfo(control_, link, GetSiteId(pageAddress));
  } catch (...) {
    // The item fails on its own; it never goes on with another item's link.
  }
  headFailure_ = control_.FailureReason();
  linkIsStream_ = IsPlaylistType(control_.RemoteMediaType()) ||
                  LowerAscii(WebAddressPath(link)).ends_with(".m3u8");
  position = CurrentPosition();
  if (position < 0 || state_.CancelRequested) return link_results::kNoSite;
  item = &list_.Edit(position);
  if (!info) {
    FailItem(position, reasons::kNoInformation);
    return link_results::kNoSite;
  }
  bool placeholder = item->FileName == texts::kAutoDetect ||
                     (refusedWhenAdded && otherSite && item->FileName == texts::kError);
  if (placeholder) item->FileName = info->FileName;
  item->FileSize = info->FileSize;
  return link;
}

}  // namespace reelcatch
