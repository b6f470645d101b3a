#pragma once

#include <QFrame>
#include <QItemSelectionModel>
#include <QTableView>
#include <functional>

namespace reelcatch {

class GridModel;

// Keeps disabled columns from holding the current cell while letting them
// be selected: clicking such a cell selects it and leaves the current cell.
class CellSelectionModel : public QItemSelectionModel {
  Q_OBJECT

 public:
  CellSelectionModel(GridModel* model, QObject* parent);
  void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override;

 private:
  bool CanBeCurrent(const QModelIndex& index) const;

  GridModel* gridModel_;
};

// The table: keyboard moves step over disabled columns.
class GridView : public QTableView {
  Q_OBJECT

 public:
  explicit GridView(QWidget* parent = nullptr) : QTableView(parent) {}

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  QModelIndex StepColumns(int step) const;
};

// A one-pixel coloured border around the table.
class GridFrame : public QFrame {
  Q_OBJECT

 public:
  explicit GridFrame(QWidget* parent = nullptr);
  void SetBorderColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor border_;
};

}  // namespace reelcatch
