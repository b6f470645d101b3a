#pragma once

#include <functional>
#include <vector>

#include "list/download_list.h"

namespace reelcatch {

// Which of the list's item commands apply to the items the user chose (the
// grid's menu greys out the others).
struct ItemActions {
  bool openFile = false;
  bool openFolder = false;
  bool copyAddress = false;
  bool copyVideoAddress = false;
  bool retry = false;
  bool rename = false;
  bool remove = false;
  friend bool operator==(const ItemActions&, const ItemActions&) = default;
};

// fileExists tells whether a finished item's file is still in the download
// folder; folderExists whether that folder is there.
ItemActions ActionsFor(const std::vector<const DownloadItem*>& items, bool folderExists,
                       const std::function<bool(const DownloadItem&)>& fileExists);

// Whether an item may be sent back to wait: it failed or was stopped.
bool CanRetry(const DownloadItem& item);

}  // namespace reelcatch
