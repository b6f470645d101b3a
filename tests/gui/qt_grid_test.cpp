// What only the real grid can get wrong: what the mouse and keys select, as
// the list commands then take it, and renaming in a cell.
#include "desktop.h"

namespace reelcatch {
namespace {

class GridTest : public testing::Desktop {
 protected:
  void SetUp() override {
    Desktop::SetUp();
    Start();
    OpenDownloadsPage();
    Refill();
  }
  // Items 1 to 5, each 45% done, nothing selected.
  void Refill() {
    frm_->Display().SelectAllItems();
    if (!frm_->List().IsListEmpty()) frm_->Display().RemoveSelected();
    for (int i = 1; i <= 5; ++i) Add("http://www.youtube.com/watch?v=" + std::to_string(i));
    for (int row = 0; row < 5; ++row) Grid().SetCellText(row, kColStatus, "45");
  }
  GridView& View() { return Grid().View(); }
  QRect Cell(int row, int column) { return View().visualRect(Grid().Model().index(row, column)); }
};

TEST_F(GridTest, ListCommandsTakeWhatIsShownSelected) {
  enum Act { kAll, kClick, kCtrl, kShift, kCtrlShift, kEscape, kHeader };
  struct Step {
    Act act;
    int row = 0, column = kColFileName;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<int> shown;
    std::string left;  // after Remove, or after Up
    bool up = false;
  };
  const Case cases[] = {
      {"select all, click", {{kAll}, {kClick, 2, kColStatus}}, {2}, "1245"},
      {"select all, ctrl-click", {{kAll}, {kCtrl, 1}}, {0, 2, 3, 4}, "2"},
      {"select all, ctrl-click twice", {{kAll}, {kCtrl, 1}, {kCtrl, 1}}, {0, 1, 2, 3, 4}, ""},
      {"click, select all, shift-click", {{kClick}, {kAll}, {kShift, 2}}, {0, 1, 2}, "45"},
      {"select all, ctrl-click, ctrl-shift-click",
       {{kAll}, {kCtrl, 1}, {kCtrlShift, 1}},
       {0, 1, 2, 3, 4},
       ""},
      {"select all, escape", {{kAll}, {kEscape}}, {}, "12345"},
      {"a click on a header", {{kHeader, 0, kColVideoUrl}}, {}, "12345"},
      {"ctrl-clicks, inert cells", {{kCtrl, 1, kColFileSize}, {kCtrl, 3, kColId}}, {1, 3}, "135"},
      {"4th before 2nd, up", {{kCtrl, 3, kColId}, {kCtrl, 1, kColStatus}}, {1, 3}, "12435", true},
  };
  QHeaderView& header = *View().horizontalHeader();
  const Qt::KeyboardModifiers keys[] = {
      {}, {}, Qt::ControlModifier, Qt::ShiftModifier, Qt::ControlModifier | Qt::ShiftModifier};
  const QColor selected = View().palette().color(QPalette::Highlight);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Refill();
    for (const Step& s : c.steps) {
      QPoint inHeader(header.sectionViewportPosition(s.column) + 10, header.height() / 2);
      if (s.act == kAll) frm_->Display().SelectAllItems();
      QPoint inCell = Cell(s.row, s.column).center();
      if (s.act >= kClick && s.act <= kCtrlShift)
        QTest::mouseClick(View().viewport(), Qt::LeftButton, keys[s.act], inCell);
      if (s.act == kEscape) QTest::keyClick(&View(), Qt::Key_Escape);
      if (s.act == kHeader) QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, inHeader);
    }
    // The rows with a cell painted in the selection colour; a row selected
    // as a whole shows no progress bar either.
    QImage shot = View().viewport()->grab().toImage();
    std::vector<int> shown;
    for (int row = 0; row < 5; ++row) {
      int cells = 0;
      for (int column = 0; column < kGridColumnCount; ++column)
        cells += shot.pixelColor(Cell(row, column).topRight() + QPoint(-3, 3)) == selected;
      if (cells > 0) shown.push_back(row);
      EXPECT_TRUE(cells != kGridColumnCount - 1) << "a bar in the selected row " << row;
    }
    EXPECT_EQ(shown, c.shown);
    c.up ? frm_->Display().MoveSelectedUp() : frm_->Display().RemoveSelected();
    std::string left;
    for (const auto& item : frm_->List().Items()) left += item.Video_URL.back();
    EXPECT_EQ(left, c.left);
  }
}

// One row each: a refused name must not leave the last accepted one behind either.
TEST_F(GridTest, OnlyTheFileNameIsRenamedAndARefusedNameIsNotShown) {
  struct Case {
    int column;
    const char* typed;
    std::string shown;  // empty: no editor opens
  } const cases[] = {{kColFileName, ":/:", texts::kAutoDetect},
                     {kColFileName, "my:video/clip?.flv", "myvideoclip.flv"},
                     {kColFileName, texts::kEnterFileName, texts::kAutoDetect},
                     {kColVideoUrl, "x.flv", ""},
                     {kColId, "9", ""}};
  for (int row = 0; row < 5; ++row) {
    const Case& c = cases[row];
    SCOPED_TRACE(c.typed);
    QModelIndex index = Grid().Model().index(row, c.column);
    View().edit(index);
    QWidget* editor = View().indexWidget(index);
    ASSERT_EQ(editor != nullptr, !c.shown.empty());
    if (!editor) continue;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, c.typed);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View().indexWidget(index); }));
    EXPECT_EQ(Grid().CellText(row, kColFileName), c.shown);
    EXPECT_EQ(frm_->List().At(row).FileName, c.shown);
  }
}

}  // namespace
}  // namespace reelcatch
