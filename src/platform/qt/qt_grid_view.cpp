#include "platform/qt/qt_grid_view.h"

#include <QPainter>

#include "platform/qt/qt_grid_model.h"

namespace reelcatch {

CellSelectionModel::CellSelectionModel(GridModel* model, QObject* parent)
    : QItemSelectionModel(model, parent), gridModel_(model) {}

bool CellSelectionModel::CanBeCurrent(const QModelIndex& index) const {
  return !index.isValid() || gridModel_->Column(index.column()).edit != ColumnEdit::Disabled;
}

void CellSelectionModel::setCurrentIndex(const QModelIndex& index, SelectionFlags command) {
  if (CanBeCurrent(index)) {
    QItemSelectionModel::setCurrentIndex(index, command);
    return;
  }
  if (command != NoUpdate) select(index, command);
}

QModelIndex GridView::StepColumns(int step) const {
  QModelIndex current = currentIndex();
  auto* grid = static_cast<GridModel*>(model());
  for (int column = current.column() + step; column >= 0 && column < grid->columnCount();
       column += step) {
    if (grid->Column(column).edit != ColumnEdit::Disabled) return current.siblingAtColumn(column);
  }
  return current;
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (currentIndex().isValid()) {
    if (action == MoveLeft || action == MovePrevious) return StepColumns(-1);
    if (action == MoveRight || action == MoveNext) return StepColumns(1);
  }
  return QTableView::moveCursor(action, modifiers);
}

GridFrame::GridFrame(QWidget* parent) : QFrame(parent), border_(Qt::darkGray) {
  setFrameShape(QFrame::NoFrame);
  setContentsMargins(1, 1, 1, 1);
}

void GridFrame::SetBorderColor(const QColor& color) {
  border_ = color;
  update();
}

void GridFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(border_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace reelcatch
