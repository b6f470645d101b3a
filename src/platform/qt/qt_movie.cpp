#include "platform/qt/qt_movie.h"

#include <QQuickItem>
#include <QUrl>

#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

// "_root.x" names the root's property x. QML property names cannot begin
// with a capital, so "_root.Download_CB" is the property download_CB.
QByteArray PropertyName(const std::string& variable) {
  constexpr std::string_view kRoot = "_root.";
  std::string_view name = variable;
  if (name.starts_with(kRoot)) name.remove_prefix(kRoot.size());
  QByteArray property(name.data(), static_cast<qsizetype>(name.size()));
  if (!property.isEmpty() && property[0] >= 'A' && property[0] <= 'Z')
    property[0] = static_cast<char>(property[0] - 'A' + 'a');
  return property;
}

}  // namespace

QtMovie::QtMovie(QWidget* parent) : QQuickWidget(parent) {
  setResizeMode(QQuickWidget::SizeRootObjectToView);
}

void QtMovie::LoadMovie(int /*layer*/, const std::string& path) {
  setSource(QUrl::fromLocalFile(ToQString(path)));
  if (Loaded()) {
    connect(rootObject(), SIGNAL(fsCommand(QString, QString)), this,
            SLOT(OnFsCommand(QString, QString)), Qt::QueuedConnection);
    // A face of its own may have no list in its Tab order.
    if (rootObject()->metaObject()->indexOfSignal("gridFocus()") >= 0)
      connect(rootObject(), SIGNAL(gridFocus()), this, SLOT(OnGridFocus()));
    return;
  }
  if (loadFailed_) loadFailed_(path);
}

bool QtMovie::Loaded() const { return status() == QQuickWidget::Ready && rootObject(); }

void QtMovie::SetVariable(const std::string& name, const std::string& value) {
  QQuickItem* root = rootObject();
  if (!root) return;
  // A write of the value a variable holds changes nothing on the face, and
  // the engine writes some on every add and every progress report.
  const QString text = ToQString(value);
  const QByteArray property = PropertyName(name);
  if (root->property(property) != QVariant(text)) root->setProperty(property, text);
}

std::string QtMovie::GetVariable(const std::string& name) {
  QQuickItem* root = rootObject();
  if (!root) return {};
  return ToStdString(root->property(PropertyName(name)).toString());
}

void QtMovie::OnGridFocus() {
  if (gridFocus_) gridFocus_();
}

void QtMovie::FocusBesideGrid(bool forward) {
  QQuickItem* root = rootObject();
  if (!root) return;
  setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  QMetaObject::invokeMethod(root, "focusBesideGrid", Q_ARG(QVariant, forward));
}

void QtMovie::OnFsCommand(const QString& command, const QString& args) {
  if (handler_) handler_(ToStdString(command), ToStdString(args));
}

}  // namespace reelcatch
