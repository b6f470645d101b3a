#include "platform/qt/qt_status_delegate.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include "platform/qt/qt_grid_model.h"
#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

Rgb ToRgb(const QColor& color) { return {color.red(), color.green(), color.blue()}; }
QColor ToColor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

QRect ToRect(const CellRect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

CellRect ToCellRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

StatusCellDelegate::StatusCellDelegate(QObject* parent) : QStyledItemDelegate(parent) {
  QPalette system = QGuiApplication::palette();
  selectedBack_ = ToRgb(system.color(QPalette::Highlight));
  selectedFore_ = ToRgb(system.color(QPalette::Text));
}

void StatusCellDelegate::SetSelectionColors(Rgb back, Rgb fore) {
  selectedBack_ = back;
  selectedFore_ = fore;
}

// The bar takes the desktop's own highlight colours, as other progress bars
// do, its own darkened or lightened where the percentage would not read.
StatusCellColors StatusCellDelegate::Colors() const {
  QPalette system = QGuiApplication::palette();
  Rgb back = ToRgb(system.color(QPalette::HighlightedText));
  Rgb highlight = ToRgb(system.color(QPalette::Highlight));
  // Asked for every cell painted: worked out again only when the desktop's colours change.
  if (!(highlight == legibleFrom_.first && back == legibleFrom_.second)) {
    legibleFrom_ = {highlight, back};
    legible_ = Legible(highlight, back);
  }
  return {legible_, back, selectedBack_, selectedFore_};
}

void StatusCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  if (index.column() == kColStatus) {
    bool selected = option.state.testFlag(QStyle::State_Selected) ||
                    index.data(GridModel::kRowSelectedRole).toBool();
    StatusCellLayout layout = LayoutStatusCell(ToStdString(index.data().toString()),
                                               ToCellRect(option.rect), selected, Colors());
    if (layout.custom) {
      PaintLayout(painter, option.font, layout);
      return;
    }
  }
  QStyledItemDelegate::paint(painter, option, index);
}

void StatusCellDelegate::PaintLayout(QPainter* painter, const QFont& font,
                                     const StatusCellLayout& layout) {
  QRect cell = ToRect(layout.cell);
  QRect bar = ToRect(layout.bar).intersected(cell);
  QString text = ToQString(layout.text);
  painter->save();
  painter->setFont(font);
  painter->fillRect(cell, ToColor(layout.back));
  painter->setPen(ToColor(layout.fore));
  painter->drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
  if (!bar.isEmpty()) {
    // Under the bar the colours swap, the text included.
    painter->setClipRect(bar, Qt::IntersectClip);
    painter->fillRect(bar, ToColor(layout.fore));
    painter->setPen(ToColor(layout.back));
    painter->drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
  }
  painter->restore();
}

}  // namespace reelcatch
