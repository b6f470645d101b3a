// The download list in the real grid: its layout through rebuilds, the cells
// the user may edit, renaming a file in place, and the list commands driven
// by what the user selected with the mouse.
#include "platform/qt/qt_grid.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "list/list_display.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "qt_app.h"
#include "resolve/file_naming.h"

namespace reelcatch {
namespace {

const std::array<const char*, kGridColumnCount> kCaptions = {" ", "Video URL", "Local File Name",
                                                             "Download Status", "File Size"};
// Twips at 15 to the pixel.
const std::array<int, kGridColumnCount> kPixelWidths = {20, 253, 120, 113, 50};

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(640, 550);
    grid_.SetGeometry(40, 220, 575, 178);
    display_.FormatDownloadGrid(true);
    display_.ShowDownloadGrid();
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  }

  // Adds items as the add command does and rebuilds the grid.
  void Add(int count) {
    for (int i = 0; i < count; ++i) {
      std::string url = "http://www.youtube.com/watch?v=" + std::to_string(next_++);
      list_.AddItem(url, texts::kAutoDetect, texts::kWaiting, texts::kUnknownSize);
      display_.FillDownloadList();
    }
  }

  std::string Caption(int column) {
    return grid_.Model()
        .headerData(column, Qt::Horizontal, Qt::DisplayRole)
        .toString()
        .toStdString();
  }

  void ExpectFullLayout() {
    for (int column = 0; column < kGridColumnCount; ++column) {
      SCOPED_TRACE(column);
      EXPECT_EQ(Caption(column), kCaptions[static_cast<size_t>(column)]);
      EXPECT_EQ(grid_.View().columnWidth(column), kPixelWidths[static_cast<size_t>(column)]);
      bool editable = grid_.Model().flags(Index(0, column)).testFlag(Qt::ItemIsEditable);
      EXPECT_EQ(editable, column == kColFileName);
    }
    EXPECT_FALSE(grid_.View().verticalHeader()->isVisible());
    EXPECT_FALSE(grid_.View().horizontalHeader()->sectionsMovable());
    EXPECT_EQ(grid_.View().selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(grid_.View().selectionBehavior(), QAbstractItemView::SelectItems);
  }

  QModelIndex Index(int row, int column) { return grid_.Model().index(row, column); }

  void Click(int row, int column, Qt::KeyboardModifiers keys = {}) {
    QPoint at = grid_.View().visualRect(Index(row, column)).center();
    QTest::mouseClick(grid_.View().viewport(), Qt::LeftButton, keys, at);
  }

  void CtrlClick(int row, int column) { Click(row, column, Qt::ControlModifier); }

  void ClickHeader(int column) {
    QHeaderView* header = grid_.View().horizontalHeader();
    QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
              header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }

  // The rows that look selected: any of their cells painted in the
  // selection colour (sampled away from the text and the grid lines).
  std::vector<int> RowsShownSelected() {
    QImage shot = grid_.View().viewport()->grab().toImage();
    QColor selected(61, 211, 124);
    std::vector<int> rows;
    for (int row = 0; row < grid_.RowCount(); ++row) {
      for (int column = 0; column < kGridColumnCount; ++column) {
        QRect cell = grid_.View().visualRect(Index(row, column));
        if (shot.pixelColor(cell.right() - 3, cell.top() + 3) == selected) {
          rows.push_back(row);
          break;
        }
      }
    }
    return rows;
  }

  // Types a new name into a cell through the grid's own editor.
  void TypeInto(int row, int column, const std::string& text) {
    QModelIndex index = Index(row, column);
    grid_.View().setCurrentIndex(index);
    grid_.View().edit(index);
    auto* editor = qobject_cast<QLineEdit*>(grid_.View().indexWidget(index));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QString::fromStdString(text));
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor hands its text over from a later turn of the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid_.View().indexWidget(index) == nullptr; }, 5000));
  }

  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    for (const auto& item : list_.Items()) urls.push_back(item.Video_URL.substr(31));
    return urls;
  }

  QWidget window_;
  QtGrid grid_{&window_};
  QtEventLoop loop_;
  QtDialogs dialogs_{&window_};
  DownloadList list_;
  ListDisplay display_{list_, grid_, loop_, dialogs_};
  int next_ = 1;
};

TEST_F(GridTest, FullLayoutAtFirstAddAndAgainAfterTheListWasEmptied) {
  for (int column = 0; column < kGridColumnCount; ++column)
    EXPECT_EQ(Caption(column), kCaptions[static_cast<size_t>(column)]);
  EXPECT_FALSE(display_.GridFormatted());

  Add(1);
  ExpectFullLayout();
  EXPECT_TRUE(display_.GridFormatted());

  // Later rebuilds only hand the rows over; the layout stays.
  Add(2);
  EXPECT_EQ(grid_.RowCount(), 3);
  ExpectFullLayout();

  display_.SelectAllItems();
  display_.RemoveSelected();
  EXPECT_TRUE(list_.IsListEmpty());
  EXPECT_EQ(grid_.RowCount(), 0);
  EXPECT_FALSE(display_.GridFormatted());

  Add(1);
  ExpectFullLayout();
}

TEST_F(GridTest, ColumnWidenedByTheUserStaysWideThroughRebuilds) {
  Add(1);
  // As a drag on the header's edge does.
  grid_.View().horizontalHeader()->resizeSection(kColFileName, 200);
  Add(2);
  list_.At(0).Status = "42";
  display_.FillDownloadList();
  EXPECT_EQ(grid_.View().columnWidth(kColFileName), 200);
  EXPECT_EQ(grid_.View().columnWidth(kColVideoUrl), kPixelWidths[kColVideoUrl]);
}

TEST_F(GridTest, OnlyTheFileNameTakesAnEditor) {
  Add(2);
  for (int column = 0; column < kGridColumnCount; ++column) {
    SCOPED_TRACE(column);
    QModelIndex index = Index(1, column);
    QPoint at = grid_.View().visualRect(index).center();
    // As a mouse does it: click, then the second press arrives as a double click.
    QTest::mouseClick(grid_.View().viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid_.View().viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid_.View().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(grid_.View().indexWidget(index) != nullptr, column == kColFileName);
    if (QWidget* editor = grid_.View().indexWidget(index)) {
      QTest::keyClick(editor, Qt::Key_Escape);
      ASSERT_TRUE(
          QTest::qWaitFor([&] { return grid_.View().indexWidget(index) == nullptr; }, 5000));
    }
  }
}

TEST_F(GridTest, DisabledCellsAreSelectedButNeverCurrent) {
  Add(3);
  grid_.View().setCurrentIndex(Index(0, kColFileName));
  for (int column : {kColVideoUrl, kColStatus, kColFileSize}) {
    SCOPED_TRACE(column);
    CtrlClick(2, column);
    EXPECT_TRUE(grid_.IsCellSelected({2, column}));
    EXPECT_EQ(grid_.View().currentIndex(), Index(0, kColFileName));
  }
  CtrlClick(1, kColFileName);
  EXPECT_EQ(grid_.View().currentIndex(), Index(1, kColFileName));
  // After a quick rebuild the ID column may be made current, never edited.
  CtrlClick(2, kColId);
  EXPECT_EQ(grid_.View().currentIndex(), Index(2, kColId));
}

TEST_F(GridTest, RenameIsCleanedOrRefused) {
  struct Case {
    std::string typed;
    bool accepted;
  };
  const Case cases[] = {
      {"holiday.flv", true}, {"my:video/clip.flv", true},    {"a*b?c\"d<e>f|g&h.flv", true},
      {":/:", false},        {texts::kEnterFileName, false},
  };
  Add(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::string before = list_.At(0).FileName;
    TypeInto(0, kColFileName, c.typed);
    std::string expected = c.accepted ? CleanFileName(c.typed) : before;
    EXPECT_EQ(grid_.CellText(0, kColFileName), expected);
    EXPECT_EQ(list_.At(0).FileName, expected);
    EXPECT_EQ(expected.find_first_of(":/*?\"<>|&"), std::string::npos);
  }
}

TEST_F(GridTest, EngineWritesDoNotRenameTheItem) {
  Add(1);
  grid_.SetCellText(0, kColFileName, "written.flv");
  grid_.SetCellText(0, kColStatus, "45");
  EXPECT_EQ(grid_.CellText(0, kColFileName), "written.flv");
  EXPECT_EQ(grid_.CellText(0, kColStatus), "45");
  EXPECT_EQ(list_.At(0).FileName, texts::kAutoDetect);
}

TEST_F(GridTest, FirstSelectedCellDecidesTheMove) {
  Add(5);
  // Cells of the fourth row, then of the second: the fourth item moves.
  CtrlClick(3, kColVideoUrl);
  CtrlClick(1, kColStatus);
  ASSERT_EQ(grid_.SelectedCells().size(), 2u);
  EXPECT_EQ(grid_.SelectedCells().front(), (GridCellRef{3, kColVideoUrl}));
  display_.MoveSelectedUp();
  EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "2", "4", "3", "5"}));
  EXPECT_TRUE(grid_.SelectedCells().empty());
}

TEST_F(GridTest, RemoveSelectedTakesEveryRowWithASelectedCell) {
  Add(5);
  CtrlClick(1, kColFileSize);
  CtrlClick(3, kColId);
  CtrlClick(3, kColFileName);
  display_.RemoveSelected();
  EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "3", "5"}));
  EXPECT_EQ(grid_.RowCount(), 3);
  EXPECT_EQ(grid_.CellText(2, kColId), "3");
}

TEST_F(GridTest, SelectAllMarksRowsNotCells) {
  Add(3);
  display_.SelectAllItems();
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(grid_.IsRowSelected(row));
  EXPECT_TRUE(grid_.SelectedCells().empty());
  // A move goes by selected cells only.
  display_.MoveSelectedDown();
  EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "2", "3"}));
  // The rebuild cleared the row flags with the old rows.
  EXPECT_FALSE(grid_.IsRowSelected(0));
}

TEST_F(GridTest, RemoveTakesWhatIsShownSelected) {
  enum Gesture { kNone, kClick, kCtrlClick, kCtrlClickTwice, kShiftClick, kEscape, kHeaderClick };
  struct Case {
    const char* name;
    bool selectAllFirst;
    Gesture gesture;
    std::vector<int> shown;  // rows
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {"select all", true, kNone, {0, 1, 2, 3, 4}, {}},
      {"select all, then a click on the third", true, kClick, {2}, {"1", "2", "4", "5"}},
      {"select all, then Ctrl-click on the second", true, kCtrlClick, {0, 2, 3, 4}, {"2"}},
      {"select all, then Ctrl-click on the second twice",
       true,
       kCtrlClickTwice,
       {0, 1, 2, 3, 4},
       {}},
      {"select all, then Shift-click on the third", true, kShiftClick, {0, 1, 2}, {"4", "5"}},
      {"select all, then Escape", true, kEscape, {}, {"1", "2", "3", "4", "5"}},
      {"a click on a header", false, kHeaderClick, {}, {"1", "2", "3", "4", "5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    display_.SelectAllItems();
    display_.RemoveSelected();
    next_ = 1;
    Add(5);
    // Where a Shift-click starts from.
    if (c.gesture == kShiftClick) Click(0, kColFileName);
    if (c.selectAllFirst) display_.SelectAllItems();
    switch (c.gesture) {
      case kNone:
        break;
      case kClick:
        Click(2, kColStatus);
        break;
      case kCtrlClickTwice:
        CtrlClick(1, kColFileName);
        [[fallthrough]];
      case kCtrlClick:
        CtrlClick(1, kColFileName);
        break;
      case kShiftClick:
        Click(2, kColFileName, Qt::ShiftModifier);
        break;
      case kEscape:
        QTest::keyClick(&grid_.View(), Qt::Key_Escape);
        break;
      case kHeaderClick:
        ClickHeader(kColVideoUrl);
        break;
    }
    EXPECT_EQ(RowsShownSelected(), c.shown);
    display_.RemoveSelected();
    EXPECT_EQ(Urls(), c.left);
  }
}

TEST_F(GridTest, HeaderDragStillSizesItsColumn) {
  Add(1);
  QHeaderView* header = grid_.View().horizontalHeader();
  int edge = header->sectionViewportPosition(kColFileName) + header->sectionSize(kColFileName) - 1;
  int y = header->height() / 2;
  QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
  QTest::mouseMove(header->viewport(), QPoint(edge + 40, y));
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
  EXPECT_EQ(grid_.View().columnWidth(kColFileName), kPixelWidths[kColFileName] + 40);
}

TEST_F(GridTest, ScrollsOneRowEachWayAndKnowsItsFocus) {
  Add(30);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return grid_.View().verticalScrollBar()->maximum() > 0; }, 5000));
  EXPECT_EQ(grid_.View().rowAt(0), 0);
  grid_.ScrollRows(1);
  EXPECT_EQ(grid_.View().rowAt(0), 1);
  grid_.ScrollRows(0);
  grid_.ScrollRows(0);
  EXPECT_EQ(grid_.View().rowAt(0), 0);

  grid_.View().setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid_.HasFocus(); }, 5000));
  grid_.View().clearFocus();
  EXPECT_FALSE(grid_.HasFocus());
}

}  // namespace
}  // namespace reelcatch
