#include "platform/qt/qt_grid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

QColor ToColor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

// The texts the ID and File Size columns must show whole: five digits, and
// the longest size texts.
const QStringList kIdFits = {QStringLiteral("99999")};
const QStringList kSizeFits = {QStringLiteral("1000.0 KB"), QStringLiteral("1.4 MBso far..")};

QString HeaderStyle(const GridColors& colors) {
  return QStringLiteral(
             "QHeaderView::section { background-color: %1; color: %2; border: none;"
             " border-right: 1px solid %3; padding: 3px 2px; }")
      .arg(ToColor(colors.headerBack).name(), ToColor(colors.headerFore).name(),
           ToColor(colors.headerBack).lighter(125).name());
}

}  // namespace

QtGrid::QtGrid(QWidget* parent)
    : QObject(parent),
      frame_(new GridFrame(parent)),
      view_(new GridView(frame_)),
      model_(new GridModel(this)),
      delegate_(new StatusCellDelegate(this)) {
  auto* layout = new QVBoxLayout(frame_);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->addWidget(view_);
  view_->setFrameShape(QFrame::NoFrame);
  view_->setModel(model_);
  view_->setSelectionModel(new CellSelectionModel(model_, view_));
  view_->setItemDelegate(delegate_);
  view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  view_->setWordWrap(false);
  view_->horizontalHeader()->setHighlightSections(false);
  // A header only names and sizes its column: a click on it would select
  // the whole column, and with it every item for removal.
  view_->horizontalHeader()->setSectionsClickable(false);
  view_->setCornerButtonEnabled(false);
  // The ID column is narrower than the style's smallest section.
  view_->horizontalHeader()->setMinimumSectionSize(8);
  // A compact face, as grids have by default: the columns are narrow.
  QFont font = view_->font();
  font.setPixelSize(11);
  view_->setFont(font);
  view_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 8);
  // Addresses of one site begin alike: their ends tell them apart.
  view_->setTextElideMode(Qt::ElideMiddle);
  connect(view_->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this] { userScrolled_ = true; });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &QtGrid::OnSelectionChanged);
  connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &QtGrid::ShowActiveRow);
  frame_->hide();
}

void QtGrid::SetEvents(GridEvents* events) { model_->SetEvents(events); }

void QtGrid::SetGeometry(int left, int top, int width, int height) {
  placed_ = QRect(left, top, width, height);
  Place();
}

void QtGrid::SetGrowth(int width, int height) {
  QSize growth(std::max(width, 0), std::max(height, 0));
  int wider = growth.width() - growth_.width();
  growth_ = growth;
  Place();
  if (wider != 0 && model_->IsBound())
    view_->setColumnWidth(kColVideoUrl, std::max(view_->columnWidth(kColVideoUrl) + wider, 8));
}

void QtGrid::Place() {
  frame_->setGeometry(placed_.adjusted(0, 0, growth_.width(), growth_.height()));
}

void QtGrid::SetVisible(bool visible) { frame_->setVisible(visible); }

void QtGrid::BringToFront() { frame_->raise(); }

bool QtGrid::HasFocus() const {
  QWidget* focus = QApplication::focusWidget();
  return focus && (focus == frame_ || frame_->isAncestorOf(focus));
}

void QtGrid::SetDataSource(std::shared_ptr<DisplayCopy> copy) {
  // An unbound grid forgets its layout; the next binding is laid out afresh.
  if (!copy) model_->ResetLayout();
  selectionOrder_.clear();
  bool wasBound = model_->IsBound();
  model_->Bind(std::move(copy));
  // A bound grid keeps its columns' widths, also those the user dragged;
  // only columns that came back from nothing take the layout's.
  if (!wasBound) ApplyWidths();
  if (model_->IsBound()) {
    if (GridEvents* events = model_->Events()) events->InitializeLayout();
  }
}

void QtGrid::SetColumnEdit(int column, ColumnEdit edit) { model_->SetColumnEdit(column, edit); }

void QtGrid::SetColumnCaption(int column, const std::string& caption) {
  model_->SetColumnCaption(column, ToQString(caption));
}

void QtGrid::SetColumnWidth(int column, int twips) {
  model_->SetColumnWidth(column, twips);
  ApplyWidths();
}

// The layout's widths, except that the ID and File Size columns are widened
// to show their texts whole, at the cost of the address column; the address
// column also takes what the window grew by.
void QtGrid::ApplyWidths() {
  if (model_->columnCount() == 0) return;
  std::array<int, kGridColumnCount> widths{};
  for (int column = 0; column < kGridColumnCount; ++column) {
    int twips = model_->Column(column).widthTwips;
    widths[column] = twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel : -1;
  }
  QFontMetrics metrics(view_->font());
  // The margins the style draws a cell's text within.
  int margins = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1);
  auto fit = [&](int column, const QStringList& texts) {
    if (widths[column] < 0 || widths[kColVideoUrl] < 0) return;
    int needed = margins + 1;
    for (const QString& text : texts)
      needed = std::max(needed, metrics.horizontalAdvance(text) + margins + 1);
    int more = std::max(needed - widths[column], 0);
    widths[column] += more;
    widths[kColVideoUrl] -= more;
  };
  fit(kColId, kIdFits);
  fit(kColFileSize, kSizeFits);
  if (widths[kColVideoUrl] >= 0)
    widths[kColVideoUrl] = std::max(widths[kColVideoUrl] + growth_.width(), 8);
  for (int column = 0; column < kGridColumnCount; ++column)
    if (widths[column] >= 0) view_->setColumnWidth(column, widths[column]);
}

void QtGrid::SetColumnRules(bool allowMove, bool allowSwap, bool allowSize) {
  QHeaderView* header = view_->horizontalHeader();
  header->setSectionsMovable(allowMove || allowSwap);
  header->setSectionResizeMode(allowSize ? QHeaderView::Interactive : QHeaderView::Fixed);
  header->setStretchLastSection(false);
}

void QtGrid::SetColors(const GridColors& colors) {
  model_->SetColors(colors);
  QPalette palette = view_->palette();
  QColor text = palette.color(QPalette::Text);
  palette.setColor(QPalette::Base, ToColor(colors.area));
  palette.setColor(QPalette::Window, ToColor(colors.area));
  // A selected cell: the selected rows' back colour and the default text.
  palette.setColor(QPalette::Highlight, ToColor(colors.selectedRowBack));
  palette.setColor(QPalette::HighlightedText, text);
  view_->setPalette(palette);
  view_->horizontalHeader()->setStyleSheet(HeaderStyle(colors));
  delegate_->SetSelectionColors(colors.selectedRowBack, {text.red(), text.green(), text.blue()});
  frame_->SetBorderColor(ToColor(colors.border));
}

void QtGrid::SetRowSelectors(bool on) { view_->verticalHeader()->setVisible(on); }

void QtGrid::SetExtendedCellSelection() {
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectItems);
}

int QtGrid::RowCount() const { return model_->rowCount(); }

std::string QtGrid::CellText(int row, int column) const { return model_->Text(row, column); }

void QtGrid::RowsChanged(int first, int last) { model_->RowsChanged(first, last); }

void QtGrid::SetCellText(int row, int column, const std::string& text) {
  model_->SetText(row, column, text);
}

bool QtGrid::IsRowSelected(int row) const { return model_->IsRowSelected(row); }

void QtGrid::SetRowSelected(int row, bool selected) { model_->SetRowSelected(row, selected); }

std::vector<GridCellRef> QtGrid::SelectedCells() const { return selectionOrder_; }

bool QtGrid::IsCellSelected(GridCellRef cell) const {
  return view_->selectionModel()->isSelected(model_->index(cell.row, cell.column));
}

void QtGrid::SelectCell(GridCellRef cell) {
  QModelIndex index = model_->index(cell.row, cell.column);
  if (index.isValid()) view_->selectionModel()->select(index, QItemSelectionModel::Select);
}

void QtGrid::ShowRow(int row, bool evenIfScrolled) {
  if (userScrolled_ && !evenIfScrolled) return;
  userScrolled_ = false;
  QModelIndex index = model_->index(row, 0);
  if (index.isValid()) view_->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void QtGrid::ScrollRows(int action) {
  userScrolled_ = true;
  QScrollBar* bar = view_->verticalScrollBar();
  bar->setValue(bar->value() + (action == 1 ? 1 : -1));
}

// The active row wears the selection's colour, so it is shown as such only
// while it is selected: a row the user took out of the selection must not
// look as if Remove would take it.
void QtGrid::ShowActiveRow() {
  int row = view_->selectionModel()->currentIndex().row();
  bool selected = row >= 0 && view_->selectionModel()->rowIntersectsSelection(row);
  model_->SetActiveRow(selected ? row : -1);
}

void QtGrid::OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  for (const QModelIndex& index : deselected.indexes()) {
    GridCellRef cell{index.row(), index.column()};
    std::erase(selectionOrder_, cell);
  }
  for (const QModelIndex& index : selected.indexes()) {
    GridCellRef cell{index.row(), index.column()};
    if (std::find(selectionOrder_.begin(), selectionOrder_.end(), cell) == selectionOrder_.end())
      selectionOrder_.push_back(cell);
  }
  ShowActiveRow();
}

}  // namespace reelcatch
