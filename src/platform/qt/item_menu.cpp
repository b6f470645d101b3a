#include "platform/qt/item_menu.h"

namespace reelcatch {

namespace {

void AddItem(QMenu& menu, const char* caption, bool enabled, const std::function<void()>& run) {
  QAction* action = menu.addAction(QString::fromLatin1(caption));
  action->setEnabled(enabled && run);
  QObject::connect(action, &QAction::triggered, &menu, [run] { run(); });
}

// A text field's method, called as the field's own keys would call it.
void AddFieldItem(QMenu& menu, const char* caption, bool enabled, QQuickItem* field,
                  const char* method) {
  AddItem(menu, caption, enabled, [field, method] {
    field->forceActiveFocus();
    QMetaObject::invokeMethod(field, method);
  });
}

}  // namespace

void FillItemMenu(QMenu& menu, const ItemActions& actions, const ItemMenuCommands& commands) {
  menu.clear();
  AddItem(menu, "Open file", actions.openFile, commands.openFile);
  AddItem(menu, "Open folder", actions.openFolder, commands.openFolder);
  menu.addSeparator();
  AddItem(menu, "Copy address", actions.copyAddress, commands.copyAddress);
  AddItem(menu, "Copy video address", actions.copyVideoAddress, commands.copyVideoAddress);
  menu.addSeparator();
  AddItem(menu, "Retry", actions.retry, commands.retry);
  AddItem(menu, "Rename", actions.rename, commands.rename);
  AddItem(menu, "Remove", actions.remove, commands.remove);
}

void FillEditMenu(QMenu& menu, QQuickItem* field) {
  menu.clear();
  bool selected = !field->property("selectedText").toString().isEmpty();
  AddFieldItem(menu, "Cut", selected, field, "cut");
  AddFieldItem(menu, "Copy", selected, field, "copy");
  AddFieldItem(menu, "Paste", field->property("canPaste").toBool(), field, "paste");
  menu.addSeparator();
  AddFieldItem(menu, "Select all", !field->property("text").toString().isEmpty(), field,
               "selectAll");
}

}  // namespace reelcatch
