#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

// A web address keeps its scheme; anything else is a local path.
QUrl ToUrl(const QString& pathOrUrl) {
  if (pathOrUrl.contains(QStringLiteral("://"))) return QUrl(pathOrUrl);
  return QUrl::fromLocalFile(pathOrUrl);
}

}  // namespace

void QtShell::Open(const std::string& pathOrUrl) {
  QDesktopServices::openUrl(ToUrl(ToQString(pathOrUrl)));
}

void QtShell::Launch(const std::string& program, const std::vector<std::string>& args) {
  QStringList arguments;
  for (const auto& arg : args) arguments << ToQString(arg);
  QProcess::startDetached(ToQString(program), arguments);
}

}  // namespace reelcatch
