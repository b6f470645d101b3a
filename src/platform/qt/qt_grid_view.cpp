#include "platform/qt/qt_grid_view.h"

#include <QContextMenuEvent>
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
  const bool plain = event->modifiers() == Qt::NoModifier && state() != EditingState;
  const bool ctrl = event->modifiers() == Qt::ControlModifier && state() != EditingState;
  if (ctrl && (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)) {
    // The row is chosen as well, as a click on it would.
    QModelIndex end = RowEnd(event->key() == Qt::Key_End);
    selectionModel()->setCurrentIndex(end, QItemSelectionModel::ClearAndSelect);
    scrollTo(end);
  } else if (plain && event->key() == Qt::Key_Escape) {
    Selection()->ClearAll();
  } else if (plain && event->key() == Qt::Key_Delete && handlers_.remove) {
    handlers_.remove();
  } else if (plain && event->key() == Qt::Key_F2) {
    RenameCurrent();
  } else {
    QTableView::keyPressEvent(event);
    return;
  }
  event->accept();
}

void GridView::RenameCurrent() {
  // The row the user chose last: a click on a cell that cannot be current
  // selects it and leaves the current cell behind.
  QModelIndex at = currentIndex();
  QModelIndexList chosen = selectionModel()->selectedIndexes();
  if (!chosen.isEmpty() && !selectionModel()->isSelected(at)) at = chosen.last();
  if (!at.isValid()) return;
  QModelIndex name = at.siblingAtColumn(kColFileName);
  setCurrentIndex(name);
  edit(name);
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
  QModelIndex index = indexAt(event->pos());
  // A click on an item left out of the selection chooses that item alone,
  // as lists of the desktop do.
  if (index.isValid() && !selectionModel()->isSelected(index) &&
      !static_cast<GridModel*>(model())->IsRowSelected(index.row())) {
    Selection()->ClearAll();
    Selection()->select(index.siblingAtColumn(kColVideoUrl), QItemSelectionModel::Select);
    Selection()->setCurrentIndex(index.siblingAtColumn(kColFileName),
                                 QItemSelectionModel::NoUpdate);
  }
  if (handlers_.menu) handlers_.menu(event->globalPos());
  event->accept();
}

// Tab moves between the window's controls, not between the cells.
bool GridView::focusNextPrevChild(bool next) {
  if (!handlers_.leave) return QTableView::focusNextPrevChild(next);
  handlers_.leave(next);
  return true;
}

void GridView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  if (auto* frame = qobject_cast<GridFrame*>(parentWidget())) frame->SetFocusMark(true);
}

void GridView::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  if (auto* frame = qobject_cast<GridFrame*>(parentWidget())) frame->SetFocusMark(false);
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

// The first or last row, in the current column when it can be current,
// else in the file name's.
QModelIndex GridView::RowEnd(bool last) const {
  int rows = model()->rowCount();
  if (rows == 0) return currentIndex();
  int column = currentIndex().isValid() ? currentIndex().column() : kColFileName;
  return model()->index(last ? rows - 1 : 0, column);
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (currentIndex().isValid()) {
    if (action == MoveLeft || action == MovePrevious) return StepColumns(-1);
    if (action == MoveRight || action == MoveNext) return StepColumns(1);
  }
  return QTableView::moveCursor(action, modifiers);
}

namespace {

class FocusRing : public QWidget {
 public:
  explicit FocusRing(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
  }
};

}  // namespace

GridFrame::GridFrame(QWidget* parent)
    : QFrame(parent), border_(Qt::darkGray), ring_(new FocusRing(this)) {
  setFrameShape(QFrame::NoFrame);
  setContentsMargins(1, 1, 1, 1);
  ring_->hide();
}

void GridFrame::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  ring_->setGeometry(rect());
}

void GridFrame::SetBorderColor(const QColor& color) {
  border_ = color;
  update();
}

void GridFrame::SetFocusMark(bool on) {
  focusMark_ = on;
  ring_->setVisible(on);
  ring_->raise();
}

void GridFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(border_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace reelcatch
