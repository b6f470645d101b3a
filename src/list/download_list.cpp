#include "list/download_list.h"

#include <utility>

namespace reelcatch {

bool DownloadList::AddItem(const std::string& url, const std::string& fileName,
                           const std::string& status, const std::string& fileSize) {
  if (urls_.contains(url)) return true;
  if (Count() >= kMaxItems) return false;
  try {
    DownloadItem item;
    item.ID = static_cast<int16_t>(Count() + 1);
    item.Video_URL = url;
    item.FileName = fileName;
    item.Status = status.empty() ? texts::kWaiting : status;
    item.FileSize = fileSize.empty() ? texts::kUnknownSize : fileSize;
    item.Key = nextKey_;
    urls_.insert(url);
    items_.push_back(std::move(item));
    ++nextKey_;
    NoteReshaped();
    return true;
  } catch (...) {
    // Out of memory: the list stays as it was.
    urls_.erase(url);
    return false;
  }
}

bool DownloadList::DeleteItem(int16_t id) {
  if (items_.empty()) return false;
  int position = id - 1;
  if (!Exists(position)) return true;
  uint64_t key = items_[static_cast<size_t>(position)].Key;
  urls_.erase(items_[static_cast<size_t>(position)].Video_URL);
  items_.erase(items_.begin() + position);
  NoteReshaped();
  for (int p = position; p < Count(); ++p)
    items_[static_cast<size_t>(p)].ID = static_cast<int16_t>(p + 1);
  if (removalObserver_) removalObserver_(key);
  return true;
}

void DownloadList::Swap(int position, int other) {
  NoteReshaped();
  std::swap(items_[static_cast<size_t>(position)], items_[static_cast<size_t>(other)]);
  items_[static_cast<size_t>(position)].ID = static_cast<int16_t>(position + 1);
  items_[static_cast<size_t>(other)].ID = static_cast<int16_t>(other + 1);
}

void DownloadList::MoveItemUp(int16_t id) {
  int position = id - 1;
  if (Count() < 2 || position < 1 || position >= Count()) return;
  Swap(position, position - 1);
}

void DownloadList::MoveItemDown(int16_t id) {
  int position = id - 1;
  if (Count() < 2 || position < 0 || position >= Count() - 1) return;
  Swap(position, position + 1);
}

bool DownloadList::UpdateItem(int16_t id, const std::string& url, const std::string& fileName,
                              const std::string& status, const std::string& fileSize) {
  int position = id - 1;
  if (!Exists(position)) return true;
  DownloadItem& item = Edit(position);
  if (!url.empty() && url != item.Video_URL && !urls_.contains(url)) {
    urls_.erase(item.Video_URL);
    urls_.insert(url);
    item.Video_URL = url;
  }
  if (!fileName.empty()) item.FileName = fileName;
  if (!status.empty()) item.Status = status;
  if (!fileSize.empty()) item.FileSize = fileSize;
  return true;
}

DownloadItem& DownloadList::Edit(int position) {
  // Once reshaped, or edited all over, the display rebuilds everything.
  if (changes_.edited.size() > items_.size()) NoteReshaped();
  if (!changes_.reshaped) changes_.edited.push_back(position);
  return items_[static_cast<size_t>(position)];
}

void DownloadList::NoteReshaped() {
  changes_.reshaped = true;
  changes_.edited.clear();
}

int DownloadList::PositionOfKey(uint64_t key, int hint) const {
  if (Exists(hint) && At(hint).Key == key) return hint;
  for (int p = 0; p < Count(); ++p) {
    if (items_[static_cast<size_t>(p)].Key == key) return p;
  }
  return -1;
}

}  // namespace reelcatch
