#include "list/item_actions.h"

#include <algorithm>

namespace reelcatch {

bool CanRetry(const DownloadItem& item) {
  return item.Status == texts::kError || item.Status == texts::kCancelled;
}

ItemActions ActionsFor(const std::vector<const DownloadItem*>& items, bool folderExists,
                       const std::function<bool(const DownloadItem&)>& fileExists) {
  ItemActions actions;
  const bool one = items.size() == 1;
  actions.openFolder = folderExists;
  actions.copyAddress = !items.empty();
  actions.remove = !items.empty();
  actions.rename = one;
  actions.openFile = one && items.front()->Status == texts::kComplete && fileExists(*items.front());
  actions.copyVideoAddress =
      std::any_of(items.begin(), items.end(), [](auto* item) { return !item->MediaUrl.empty(); });
  actions.retry =
      std::any_of(items.begin(), items.end(), [](auto* item) { return CanRetry(*item); });
  return actions;
}

}  // namespace reelcatch
