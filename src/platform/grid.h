#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/display_copy.h"

namespace reelcatch {

// Columns of the download grid, in display order.
enum GridColumn : int {
  kColId = 0,
  kColVideoUrl = 1,
  kColFileName = 2,
  kColStatus = 3,
  kColFileSize = 4,
  kGridColumnCount = 5,
};

enum class ColumnEdit { Editable, ActivateOnly, Disabled };

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct GridColors {
  Rgb area, border;
  Rgb selectedRowBack;
  Rgb activeRowBack, activeRowFore;
  Rgb rowBack;
  Rgb headerBack, headerFore;
};

struct GridCellRef {
  int row = 0;
  int column = 0;
  friend bool operator==(const GridCellRef&, const GridCellRef&) = default;
};

// Called by the grid, synchronously, on its own events.
class GridEvents {
 public:
  virtual ~GridEvents() = default;
  // A new binding is being laid out (raised inside SetDataSource).
  virtual void InitializeLayout() = 0;
  // A cell's new value is about to be stored; set cancel to keep the old one.
  virtual void BeforeCellUpdate(GridCellRef cell, const std::string& newValue, bool& cancel) = 0;
  // A cell's new value was stored.
  virtual void AfterCellUpdate(GridCellRef cell) = 0;
};

// The grid that shows the display copy: rows are addressed by their index in
// the current binding (row references do not survive a rebinding).
class Grid {
 public:
  virtual ~Grid() = default;

  virtual void SetEvents(GridEvents* events) = 0;

  // Placement, in pixels, and visibility.
  virtual void SetGeometry(int left, int top, int width, int height) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void BringToFront() = 0;
  virtual bool HasFocus() const = 0;

  // Binding: nullptr unbinds. The grid shows one row per record of the copy
  // and writes cell edits into it. Raises InitializeLayout.
  virtual void SetDataSource(std::shared_ptr<DisplayCopy> copy) = 0;

  // The texts of rows first..last of the bound copy were changed in place.
  virtual void RowsChanged(int first, int last) {
    (void)first;
    (void)last;
  }

  // Layout.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetColumnEdit(int column, ColumnEdit edit) = 0;
  virtual void SetColumnCaption(int column, const std::string& caption) = 0;
  virtual void SetColumnWidth(int column, int twips) = 0;
  virtual void SetColumnRules(bool allowMove, bool allowSwap, bool allowSize) = 0;
  virtual void SetColors(const GridColors& colors) = 0;
  virtual void SetRowSelectors(bool on) = 0;
  virtual void SetExtendedCellSelection() = 0;

  // Rows and cells of the current binding.
  virtual int RowCount() const = 0;
  virtual std::string CellText(int row, int column) const = 0;
  virtual void SetCellText(int row, int column, const std::string& text) = 0;
  virtual bool IsRowSelected(int row) const = 0;
  virtual void SetRowSelected(int row, bool selected) = 0;
  // Selected cells in the order the grid keeps them.
  virtual std::vector<GridCellRef> SelectedCells() const = 0;
  virtual bool IsCellSelected(GridCellRef cell) const = 0;
  virtual void SelectCell(GridCellRef cell) = 0;

  // Scrolls the rows by one: action 1 towards the end, 0 towards the start.
  virtual void ScrollRows(int action) = 0;
  // Brings the row into view, unless the user has scrolled since the last
  // time and evenIfScrolled is false.
  virtual void ShowRow(int row, bool evenIfScrolled) {
    (void)row;
    (void)evenIfScrolled;
  }
};

}  // namespace reelcatch
