#include "platform/qt/qt_grid_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>
#include <charconv>

#include "platform/qt/qt_text.h"
#include "resolve/item_texts.h"

namespace reelcatch {

namespace {

// Captions a freshly bound grid shows: the fields' own names.
constexpr std::array<const char*, kGridColumnCount> kFieldKeys = {"ID", "Video_URL", "FileName",
                                                                  "Status", "FileSize"};

QBrush ToBrush(Rgb rgb) { return QBrush(QColor(rgb.r, rgb.g, rgb.b)); }

int32_t ParseId(const std::string& text) {
  int32_t value = 0;
  const char* first = text.data();
  while (first != text.data() + text.size() && *first == ' ') ++first;
  std::from_chars(first, text.data() + text.size(), value);
  return value;
}

std::string* Field(DisplayRow& row, int column) {
  switch (column) {
    case kColVideoUrl:
      return &row.Video_URL;
    case kColFileName:
      return &row.FileName;
    case kColStatus:
      return &row.Status;
    case kColFileSize:
      return &row.FileSize;
    default:
      return nullptr;
  }
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) { ResetLayout(); }

void GridModel::Bind(std::shared_ptr<DisplayCopy> copy) {
  beginResetModel();
  copy_ = std::move(copy);
  rowSelected_.assign(copy_ ? copy_->size() : 0, 0);
  activeRow_ = -1;
  endResetModel();
}

void GridModel::ResetLayout() {
  for (size_t column = 0; column < columns_.size(); ++column)
    columns_[column] = ColumnLayout{QString::fromLatin1(kFieldKeys[column])};
  if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, kGridColumnCount - 1);
}

void GridModel::SetColumnCaption(int column, const QString& caption) {
  if (column < 0 || column >= kGridColumnCount) return;
  columns_[static_cast<size_t>(column)].caption = caption;
  if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, column, column);
}

void GridModel::SetColumnEdit(int column, ColumnEdit edit) {
  if (column >= 0 && column < kGridColumnCount) columns_[static_cast<size_t>(column)].edit = edit;
}

void GridModel::SetColumnWidth(int column, int twips) {
  if (column >= 0 && column < kGridColumnCount)
    columns_[static_cast<size_t>(column)].widthTwips = twips;
}

void GridModel::SetColors(const GridColors& colors) {
  colors_ = colors;
  colorsSet_ = true;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kGridColumnCount - 1));
}

DisplayRow* GridModel::RowAt(int row) const {
  if (!copy_ || row < 0 || row >= static_cast<int>(copy_->size())) return nullptr;
  return &(*copy_)[static_cast<size_t>(row)];
}

std::string GridModel::Text(int row, int column) const {
  DisplayRow* record = RowAt(row);
  if (!record) return {};
  if (column == kColId) return std::to_string(record->ID);
  std::string* field = Field(*record, column);
  return field ? *field : std::string();
}

void GridModel::RowsChanged(int first, int last) {
  if (!copy_ || first < 0 || last < first || last >= rowCount()) return;
  emit dataChanged(index(first, 0), index(last, kGridColumnCount - 1),
                   {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
}

void GridModel::SetText(int row, int column, const std::string& text) {
  DisplayRow* record = RowAt(row);
  if (!record) return;
  if (column == kColId) {
    int32_t id = ParseId(text);
    if (record->ID == id) return;
    record->ID = id;
  } else {
    std::string* field = Field(*record, column);
    if (!field || *field == text) return;
    *field = text;
  }
  QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

bool GridModel::IsRowSelected(int row) const {
  return row >= 0 && row < static_cast<int>(rowSelected_.size()) &&
         rowSelected_[static_cast<size_t>(row)];
}

void GridModel::SetRowSelected(int row, bool selected) {
  if (row < 0 || row >= static_cast<int>(rowSelected_.size())) return;
  if (IsRowSelected(row) == selected) return;
  rowSelected_[static_cast<size_t>(row)] = selected ? 1 : 0;
  RepaintRow(row);
}

void GridModel::ClearRowSelection() {
  auto first = std::find(rowSelected_.begin(), rowSelected_.end(), 1);
  if (first == rowSelected_.end()) return;
  std::fill(first, rowSelected_.end(), 0);
  emit dataChanged(index(static_cast<int>(first - rowSelected_.begin()), 0),
                   index(rowCount() - 1, kGridColumnCount - 1),
                   {Qt::BackgroundRole, Qt::ForegroundRole, kRowSelectedRole});
}

void GridModel::SetActiveRow(int row) {
  if (row == activeRow_) return;
  int old = activeRow_;
  activeRow_ = row;
  RepaintRow(old);
  RepaintRow(row);
}

void GridModel::RepaintRow(int row) {
  if (!RowAt(row)) return;
  emit dataChanged(index(row, 0), index(row, kGridColumnCount - 1),
                   {Qt::BackgroundRole, Qt::ForegroundRole, kRowSelectedRole});
}

int GridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !copy_) return 0;
  return static_cast<int>(copy_->size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !copy_) return 0;
  return kGridColumnCount;
}

QVariant GridModel::Background(int row) const {
  if (!colorsSet_) return {};
  if (IsRowSelected(row)) return ToBrush(colors_.selectedRowBack);
  if (row == activeRow_) return ToBrush(colors_.activeRowBack);
  return ToBrush(colors_.rowBack);
}

QVariant GridModel::Foreground(int row) const {
  if (!colorsSet_ || IsRowSelected(row) || row != activeRow_) return {};
  return ToBrush(colors_.activeRowFore);
}

// A cut-off text shows whole; a failed item's status tells why it failed.
QVariant GridModel::ToolTip(int row, int column) const {
  const DisplayRow* record = RowAt(row);
  if (column == kColStatus && !record->Reason.empty() && record->Status == texts::kError)
    return ToQString(record->Reason);
  return ToQString(Text(row, column));
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!RowAt(index.row())) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return ToQString(Text(index.row(), index.column()));
    case Qt::ToolTipRole:
      return ToolTip(index.row(), index.column());
    case Qt::BackgroundRole:
      return Background(index.row());
    case Qt::ForegroundRole:
      return Foreground(index.row());
    case kRowSelectedRole:
      return IsRowSelected(index.row());
    default:
      return {};
  }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= kGridColumnCount) return {};
  return Column(section).caption;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!RowAt(index.row())) return Qt::NoItemFlags;
  // Disabled cells still take part in the cell selection (the list commands
  // read it); the view keeps them from becoming current.
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (Column(index.column()).edit == ColumnEdit::Editable) flags |= Qt::ItemIsEditable;
  return flags;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !RowAt(index.row())) return false;
  if (Column(index.column()).edit != ColumnEdit::Editable) return false;
  GridCellRef cell{index.row(), index.column()};
  std::string newValue = ToStdString(value.toString());
  bool cancel = false;
  if (events_) events_->BeforeCellUpdate(cell, newValue, cancel);
  if (cancel || !RowAt(cell.row)) return false;
  SetText(cell.row, cell.column, newValue);
  if (events_) events_->AfterCellUpdate(cell);
  return true;
}

}  // namespace reelcatch
