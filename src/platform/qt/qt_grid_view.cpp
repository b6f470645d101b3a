#include "platform/qt/qt_grid_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
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

void CellSelectionModel::select(const QItemSelection& selection, SelectionFlags command) {
  if (command.testFlag(Clear)) gridModel_->ClearRowSelection();
  QItemSelectionModel::select(selection, command);
}

void CellSelectionModel::DeselectRow(int row) {
  gridModel_->SetRowSelected(row, false);
  QItemSelectionModel::select(
      QItemSelection(gridModel_->index(row, 0), gridModel_->index(row, kGridColumnCount - 1)),
      Deselect);
}

void CellSelectionModel::ClearAll() {
  gridModel_->ClearRowSelection();
  clearSelection();
  clearCurrentIndex();
}

CellSelectionModel* GridView::Selection() const {
  return static_cast<CellSelectionModel*>(selectionModel());
}

void GridView::mousePressEvent(QMouseEvent* event) {
  QModelIndex index = indexAt(event->position().toPoint());
  auto* grid = static_cast<GridModel*>(model());
  Qt::KeyboardModifiers keys = event->modifiers();
  bool ctrl = keys.testFlag(Qt::ControlModifier);
  if (index.isValid() && ctrl && event->button() == Qt::LeftButton &&
      grid->IsRowSelected(index.row())) {
    // A flagged row looks selected as a whole: Ctrl-click takes it out as a
    // whole, instead of adding the cell to it.
    Selection()->DeselectRow(index.row());
    Selection()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    setFocus(Qt::MouseFocusReason);
    event->accept();
    return;
  }
  // Shift alone selects from the anchor to here, and only that.
  if (index.isValid() && keys.testFlag(Qt::ShiftModifier) && !ctrl) grid->ClearRowSelection();
  QTableView::mousePressEvent(event);
}

void GridView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
      state() != EditingState) {
    Selection()->ClearAll();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
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
