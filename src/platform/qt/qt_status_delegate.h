#pragma once

#include <QStyledItemDelegate>
#include <utility>

#include "list/status_cell.h"

namespace reelcatch {

// Paints the grid's cells: a Status cell that holds a number becomes a
// progress bar, laid out by LayoutStatusCell; every other cell is drawn as
// usual.
class StatusCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit StatusCellDelegate(QObject* parent = nullptr);

  // The colours of a selected cell.
  void SetSelectionColors(Rgb back, Rgb fore);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

  static void PaintLayout(QPainter* painter, const QFont& font, const StatusCellLayout& layout);

  // The colours the bars are painted in now.
  StatusCellColors Colors() const;

 private:
  Rgb selectedBack_;
  Rgb selectedFore_;
  mutable std::pair<Rgb, Rgb> legibleFrom_{{-1, -1, -1}, {-1, -1, -1}};
  mutable Rgb legible_;
};

}  // namespace reelcatch
