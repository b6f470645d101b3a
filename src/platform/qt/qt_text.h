#pragma once

#include <QString>
#include <string>

namespace reelcatch {

// The engine keeps text as UTF-8 bytes; Qt as QString.
inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace reelcatch
