#pragma once

#include <QFrame>
#include <QItemSelectionModel>
#include <QPoint>
#include <QTableView>
#include <functional>

namespace reelcatch {

class GridModel;

// Keeps disabled columns from holding the current cell while letting them
// be selected: clicking such a cell selects it and leaves the current cell.
// A selection that replaces the old one (a click, a drag, a key move,
// Ctrl+A) replaces the rows' selected flags too, so that what is shown
// selected is what the list commands take.
class CellSelectionModel : public QItemSelectionModel {
  Q_OBJECT

 public:
  CellSelectionModel(GridModel* model, QObject* parent);
  void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override;
  using QItemSelectionModel::select;
  void select(const QItemSelection& selection, SelectionFlags command) override;
  // Neither cells nor rows stay selected, and no row is active.
  void ClearAll();
  // Takes one row out of the selection: its flag and its cells.
  void DeselectRow(int row);

 private:
  bool CanBeCurrent(const QModelIndex& index) const;

  GridModel* gridModel_;
};

// What the table hands to the program: Delete, a menu asked for at a point
// (global), and Tab or Shift+Tab out of it (forward or not).
struct GridViewHandlers {
  std::function<void()> remove;
  std::function<void(QPoint global)> menu;
  std::function<void(bool forward)> leave;
};

// The table: keyboard moves step over disabled columns, Ctrl+Home and
// Ctrl+End choose the first and last row, F2 renames the current row's file;
// Escape drops the selection, a Shift-click without Ctrl starts a new one,
// and a Ctrl-click on a row that Select all flagged takes that row out.
class GridView : public QTableView {
  Q_OBJECT

 public:
  explicit GridView(QWidget* parent = nullptr) : QTableView(parent) {}

  GridViewHandlers& Handlers() { return handlers_; }
  // Opens the file name of the current row, or of the first chosen one, for editing.
  void RenameCurrent();

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QModelIndex RowEnd(bool last) const;
  GridViewHandlers handlers_;
  QModelIndex StepColumns(int step) const;
  CellSelectionModel* Selection() const;
};

// A one-pixel coloured border around the table and, while the table has the
// focus, a ring of the desktop's highlight colour just inside it.
class GridFrame : public QFrame {
  Q_OBJECT

 public:
  explicit GridFrame(QWidget* parent = nullptr);
  void SetBorderColor(const QColor& color);
  void SetFocusMark(bool on);
  bool FocusMark() const { return focusMark_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QColor border_;
  bool focusMark_ = false;
  // Drawn over the table's edge, where it takes no room from the columns.
  QWidget* ring_;
};

}  // namespace reelcatch
