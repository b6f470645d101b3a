#pragma once

#include <QMenu>
#include <QQuickItem>
#include <functional>

#include "list/item_actions.h"

namespace reelcatch {

// What each item of the download list's menu does.
struct ItemMenuCommands {
  std::function<void()> openFile;
  std::function<void()> openFolder;
  std::function<void()> copyAddress;
  std::function<void()> copyVideoAddress;
  std::function<void()> retry;
  std::function<void()> rename;
  std::function<void()> remove;
};

// Fills the download list's menu anew: its items in their order, each
// enabled where the program says it applies.
void FillItemMenu(QMenu& menu, const ItemActions& actions, const ItemMenuCommands& commands);

// Fills the address box's menu anew: Cut, Copy, Paste and Select all, each
// enabled where it applies, acting on the face's text field.
void FillEditMenu(QMenu& menu, QQuickItem* field);

}  // namespace reelcatch
