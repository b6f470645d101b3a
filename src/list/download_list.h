#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "resolve/item_texts.h"

namespace reelcatch {

// One entry of the download list. ID is always the 1-based position; Key is
// a number that never changes for the life of the item, so code that works
// on an item across yields can find it again after the list was edited.
struct DownloadItem {
  int16_t ID = 0;
  std::string Video_URL;
  std::string FileName;
  std::string Status;
  std::string FileSize;
  uint64_t Key = 0;
  // Why the item ended "ERROR" (empty otherwise); not shown in the grid's
  // columns, so the status text itself stays as it always was.
  std::string Reason;
  // The address of the video file its page led to, once it was found.
  std::string MediaUrl;
};

// The program's one list of page addresses, in memory only. Every operation
// keeps ID equal to position + 1.
class DownloadList {
 public:
  static constexpr int kMaxItems = 32767;

  // Appends an item; an address already listed (exact match) is not added
  // again and still answers true. False when the list is full.
  bool AddItem(const std::string& url, const std::string& fileName, const std::string& status,
               const std::string& fileSize);
  bool IsListEmpty() const { return items_.empty(); }
  // Removes the item with this ID and renumbers the rest; false on an empty list.
  bool DeleteItem(int16_t id);
  void MoveItemUp(int16_t id);
  void MoveItemDown(int16_t id);
  // Sets every field given as non-empty text; an ID outside the list changes nothing.
  bool UpdateItem(int16_t id, const std::string& url, const std::string& fileName,
                  const std::string& status, const std::string& fileSize);

  // The last position, -1 when empty.
  int LastPosition() const { return static_cast<int>(items_.size()) - 1; }
  int Count() const { return static_cast<int>(items_.size()); }
  bool Exists(int position) const { return position >= 0 && position < Count(); }
  const DownloadItem& At(int position) const { return items_[static_cast<size_t>(position)]; }
  // The item to change in place; the change is noted for the display.
  DownloadItem& Edit(int position);
  // The position of the item with this key, -1 when it is gone. The hint,
  // where the item was last seen, makes the usual case cheap.
  int PositionOfKey(uint64_t key, int hint = -1) const;
  const std::vector<DownloadItem>& Items() const { return items_; }

  // Told of the key of every item removed, right after it went.
  void SetRemovalObserver(std::function<void(uint64_t key)> observer) {
    removalObserver_ = std::move(observer);
  }

  // What changed since the display last took note: whether items were
  // added, removed or moved, and else the positions of items whose fields
  // may have changed (a position may be noted more than once).
  struct Changes {
    bool reshaped = false;
    std::vector<int> edited;
  };
  const Changes& PendingChanges() const { return changes_; }
  void ForgetChanges() { changes_ = {}; }

 private:
  void Swap(int position, int other);
  void NoteReshaped();

  std::vector<DownloadItem> items_;
  std::unordered_set<std::string> urls_;
  uint64_t nextKey_ = 1;
  std::function<void(uint64_t)> removalObserver_;
  Changes changes_;
};

}  // namespace reelcatch
