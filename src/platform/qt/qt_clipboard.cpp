#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/qt_text.h"

namespace reelcatch {

std::string QtClipboard::Text() { return ToStdString(QGuiApplication::clipboard()->text()); }

}  // namespace reelcatch
