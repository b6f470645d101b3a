#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "platform/grid.h"
#include "platform/qt/qt_grid_model.h"
#include "platform/qt/qt_grid_view.h"
#include "platform/qt/qt_status_delegate.h"

class QItemSelection;

namespace reelcatch {

// The download grid: a table view over the bound display copy, placed over
// the face. It keeps its column layout across bindings until it is unbound,
// the rows' selected flags apart from the cell selection, and the selected
// cells in the order they were selected.
class QtGrid : public QObject, public Grid {
  Q_OBJECT

 public:
  static constexpr int kTwipsPerPixel = 15;

  explicit QtGrid(QWidget* parent);

  void SetEvents(GridEvents* events) override;
  void SetGeometry(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  void BringToFront() override;
  bool HasFocus() const override;
  void SetDataSource(std::shared_ptr<DisplayCopy> copy) override;
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetColumnEdit(int column, ColumnEdit edit) override;
  void SetColumnCaption(int column, const std::string& caption) override;
  void SetColumnWidth(int column, int twips) override;
  void SetColumnRules(bool allowMove, bool allowSwap, bool allowSize) override;
  void SetColors(const GridColors& colors) override;
  void SetRowSelectors(bool on) override;
  void SetExtendedCellSelection() override;
  int RowCount() const override;
  std::string CellText(int row, int column) const override;
  void SetCellText(int row, int column, const std::string& text) override;
  void RowsChanged(int first, int last) override;
  bool IsRowSelected(int row) const override;
  void SetRowSelected(int row, bool selected) override;
  std::vector<GridCellRef> SelectedCells() const override;
  bool IsCellSelected(GridCellRef cell) const override;
  void SelectCell(GridCellRef cell) override;
  void ScrollRows(int action) override;
  void ShowRow(int row, bool evenIfScrolled) override;

  // The window grew by so much beyond its smallest size: the grid grows as
  // much, and its address column takes the width.
  void SetGrowth(int width, int height);

  const std::string& Caption() const { return caption_; }
  GridFrame& Frame() { return *frame_; }
  GridView& View() { return *view_; }
  GridModel& Model() { return *model_; }
  const StatusCellDelegate& Delegate() const { return *delegate_; }

 private:
  void ApplyWidths();
  void Place();
  void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  void ShowActiveRow();

  GridFrame* frame_;
  GridView* view_;
  GridModel* model_;
  StatusCellDelegate* delegate_;
  std::vector<GridCellRef> selectionOrder_;
  std::string caption_;
  QRect placed_;
  QSize growth_;
  // The user scrolled since the list last followed the run.
  bool userScrolled_ = false;
};

}  // namespace reelcatch
