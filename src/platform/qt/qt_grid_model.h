#pragma once

#include <QAbstractTableModel>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/grid.h"

namespace reelcatch {

// Per-column layout the grid keeps across bindings of the same shape.
struct ColumnLayout {
  QString caption;
  ColumnEdit edit = ColumnEdit::Editable;
  int widthTwips = -1;  // -1: the view's default
};

// The table model over the bound display copy. Cell edits by the user pass
// through the grid's edit events; the engine's own writes (SetText) do not.
class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Set on every cell of a row whose selected flag is on.
  static constexpr int kRowSelectedRole = Qt::UserRole + 1;

  explicit GridModel(QObject* parent = nullptr);

  void SetEvents(GridEvents* events) { events_ = events; }
  GridEvents* Events() const { return events_; }
  void Bind(std::shared_ptr<DisplayCopy> copy);
  bool IsBound() const { return copy_ != nullptr; }

  // The layout; it stays with the grid until it is unbound.
  const ColumnLayout& Column(int column) const { return columns_[static_cast<size_t>(column)]; }
  void SetColumnCaption(int column, const QString& caption);
  void SetColumnEdit(int column, ColumnEdit edit);
  void SetColumnWidth(int column, int twips);
  void ResetLayout();
  void SetColors(const GridColors& colors);
  const GridColors& Colors() const { return colors_; }

  std::string Text(int row, int column) const;
  // An engine write: no edit events. Repaints only the changed cell.
  void SetText(int row, int column, const std::string& text);
  // Repaints rows whose texts the engine changed in the copy itself.
  void RowsChanged(int first, int last);

  bool IsRowSelected(int row) const;
  void SetRowSelected(int row, bool selected);
  void ClearRowSelection();
  void SetActiveRow(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  DisplayRow* RowAt(int row) const;
  QVariant Background(int row) const;
  QVariant Foreground(int row) const;
  QVariant ToolTip(int row, int column) const;
  void RepaintRow(int row);

  std::shared_ptr<DisplayCopy> copy_;
  std::vector<char> rowSelected_;
  int activeRow_ = -1;
  std::array<ColumnLayout, kGridColumnCount> columns_;
  GridColors colors_;
  bool colorsSet_ = false;
  GridEvents* events_ = nullptr;
};

}  // namespace reelcatch
