// What only the real grid can get wrong: what the mouse and keys select, as
// the list commands then take it, renaming in a cell, its menu and its bar.
#include <filesystem>
#include <fstream>

#include "desktop.h"
#include "list/status_cell.h"

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
  // Items 1 to count, each 45% done, nothing selected.
  void Refill(int count = 5) {
    frm_->Display().SelectAllItems();
    if (!frm_->List().IsListEmpty()) frm_->Display().RemoveSelected();
    for (int i = 1; i <= count; ++i) Add("http://www.youtube.com/watch?v=" + std::to_string(i));
    for (int row = 0; row < count; ++row) Grid().SetCellText(row, kColStatus, "45");
  }
  // Answers every message box the program shows, noting its text.
  void AnswerMessages(std::vector<QString>& said) {
    auto* answer = new QTimer(&Window());
    QObject::connect(answer, &QTimer::timeout, [&said] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        said.push_back(box->text()), box->accept();
    });
    answer->start(10);
  }
  GridView& View() { return Grid().View(); }
  QRect Cell(int row, int column) { return View().visualRect(Grid().Model().index(row, column)); }
};

TEST_F(GridTest, ListCommandsTakeWhatIsShownSelected) {
  enum Act { kAll, kClick, kCtrl, kShift, kCtrlShift, kEscape, kHeader, kKey };
  struct Step {
    Act act;
    int row = 0, column = kColFileName;
    QKeyCombination key = {};
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
      {"click, Delete", {{kClick, 1}, {kKey, 0, 0, Qt::Key_Delete}}, {}, "1345"},
      {"Ctrl+A", {{kKey, 0, 0, Qt::ControlModifier | Qt::Key_A}}, {0, 1, 2, 3, 4}, ""},
      {"click, Ctrl+End",
       {{kClick, 1}, {kKey, 0, 0, Qt::ControlModifier | Qt::Key_End}},
       {4},
       "1234"},
      {"click, Ctrl+Home",
       {{kClick, 3}, {kKey, 0, 0, Qt::ControlModifier | Qt::Key_Home}},
       {0},
       "2345"},
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
      if (s.act == kKey) QTest::keyClick(&View(), s.key.key(), s.key.keyboardModifiers());
      if (s.act == kHeader) QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, inHeader);
    }
    // The rows with a cell painted in the selection colour; a row selected
    // as a whole shows no progress bar either.
    QImage shot = View().viewport()->grab().toImage();
    std::vector<int> shown;
    for (int row = 0; row < Grid().RowCount(); ++row) {
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

// One row each: a refused name must not leave the last accepted one behind
// either. A finished item's file is renamed with it, never over another
// file nor through a link.
TEST_F(GridTest, OnlyTheFileNameIsRenamedAndARefusedNameIsNotShown) {
  enum There { kNothing, kFile, kLink };
  struct Case {
    int column;
    const char* typed;
    std::string shown;  // empty: no editor opens
    bool finished = false, byF2 = false;
    There there = kNothing;  // already named as typed in the download folder
  } const cases[] = {{kColFileName, ":/:", texts::kAutoDetect},
                     {kColFileName, "my:video/clip?.flv", "myvideoclip.flv"},
                     {kColFileName, texts::kEnterFileName, texts::kAutoDetect},
                     {kColVideoUrl, "x.flv", ""},
                     {kColId, "9", ""},
                     {kColFileName, "by key.flv", "by key.flv", false, true},
                     {kColFileName, "new.flv", "new.flv", true},
                     {kColFileName, "taken.flv", "done7.flv", true, false, kFile},
                     {kColFileName, "link.flv", "done8.flv", true, false, kLink}};
  namespace fs = std::filesystem;
  const fs::path folder = Path("videos").toStdString();
  fs::create_directories(folder);
  frm_->CurrentSettings().DownloadDir = folder.string();
  Refill(std::size(cases));
  std::vector<QString> said;
  AnswerMessages(said);
  for (int row = 0; row < int(std::size(cases)); ++row) {
    const Case& c = cases[row];
    SCOPED_TRACE(c.typed);
    const std::string done = "done" + std::to_string(row) + ".flv";
    if (c.finished) {
      std::ofstream(folder / done) << row;
      frm_->List().Edit(row).FileName = done;
      frm_->List().Edit(row).Status = texts::kComplete;
      frm_->Display().FillDownloadList();
    }
    if (c.there == kFile) std::ofstream(folder / c.typed) << "other";
    if (c.there == kLink) fs::create_symlink(Path("outside").toStdString(), folder / c.typed);
    said.clear();
    QModelIndex index = Grid().Model().index(row, c.column);
    if (c.byF2) {
      // From a cell that cannot be edited: F2 goes to the row's file name.
      QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, Cell(row, kColStatus).center());
      QTest::keyClick(&View(), Qt::Key_F2);
      index = index.siblingAtColumn(kColFileName);
    } else {
      View().edit(index);
    }
    QWidget* editor = View().indexWidget(index);
    ASSERT_EQ(editor != nullptr, !c.shown.empty());
    if (!editor) continue;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, c.typed);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View().indexWidget(index); }));
    EXPECT_EQ(Grid().CellText(row, kColFileName), c.shown);
    EXPECT_EQ(frm_->List().At(row).FileName, c.shown);
    if (!c.finished) continue;
    EXPECT_EQ(said.size(), c.there == kNothing ? 0u : 1u);
    EXPECT_EQ(fs::exists(folder / done), c.there != kNothing);
    EXPECT_TRUE(fs::exists(fs::symlink_status(folder / c.typed)));
    EXPECT_FALSE(fs::exists(Path("outside").toStdString()));
  }
}

// The list's menu offers each command where it applies to the item under the
// mouse; the address box has a menu of its own.
TEST_F(GridTest, TheMenusOfferWhatApplies) {
  struct Case {
    const char* status;
    bool fileThere, videoFound;
    const char* enabled;
  } const cases[] = {
      {"Waiting", false, false, "Open folder|Copy address|Rename|Remove"},
      {"45", false, true, "Open folder|Copy address|Copy video address|Rename|Remove"},
      {"Complete", true, true,
       "Open file|Open folder|Copy address|Copy video address|Rename|Remove"},
      {"Complete", false, true, "Open folder|Copy address|Copy video address|Rename|Remove"},
      {"ERROR", false, false, "Open folder|Copy address|Retry|Rename|Remove"},
      {"Cancelled", false, true, "Open folder|Copy address|Copy video address|Retry|Rename|Remove"},
  };
  frm_->CurrentSettings().DownloadDir = Path("videos").toStdString();
  QDir().mkpath(Path("videos"));
  Refill(std::size(cases));
  for (int row = 0; row < int(std::size(cases)); ++row) {
    DownloadItem& item = frm_->List().Edit(row);
    item.Status = cases[row].status;
    item.FileName = "file" + std::to_string(row) + ".flv";
    if (cases[row].videoFound) item.MediaUrl = "http://media.example/" + item.FileName;
    if (cases[row].fileThere)
      QFile(Path("videos/") + item.FileName.c_str()).open(QIODevice::WriteOnly);
  }
  frm_->Display().RebuildDownloadList();
  auto menuAt = [&](QWidget* widget, QPoint at) {
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &click);
  };
  auto enabled = [](QMenu& menu) {
    QStringList items;
    for (QAction* action : menu.actions())
      if (action->isEnabled() && !action->isSeparator()) items << action->text();
    return items.join('|').toStdString();
  };
  for (int row = 0; row < int(std::size(cases)); ++row) {
    SCOPED_TRACE(row);
    menuAt(View().viewport(), Cell(row, kColStatus).center());
    EXPECT_TRUE(host_->ItemMenu().isVisible());
    EXPECT_EQ(enabled(host_->ItemMenu()), cases[row].enabled);
    host_->ItemMenu().hide();
  }
  // What the menu's commands do, on the item under the mouse.
  auto choose = [&](const char* caption) {
    for (QAction* action : host_->ItemMenu().actions())
      if (action->text() == caption) action->trigger();
  };
  menuAt(View().viewport(), Cell(5, kColStatus).center());
  choose("Copy video address");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "http://media.example/file5.flv");
  choose("Retry");
  EXPECT_EQ(frm_->List().At(5).Status, texts::kWaiting);
  menuAt(View().viewport(), Cell(5, kColStatus).center());
  choose("Remove");
  EXPECT_EQ(frm_->List().Count(), 5);
  // Over the address box, with its text selected and text to paste.
  QGuiApplication::clipboard()->setText("x");
  auto* field = Face().rootObject()->findChild<QQuickItem*>("addressField");
  field->setProperty("text", "http://www.youtube.com/watch?v=9");
  QMetaObject::invokeMethod(field, "selectAll");
  QPoint overField = field->mapToScene({20, 10}).toPoint();
  QTest::mouseClick(&Face(), Qt::RightButton, {}, overField);
  EXPECT_TRUE(host_->AddressMenu().isVisible());
  EXPECT_EQ(enabled(host_->AddressMenu()), "Cut|Copy|Paste|Select all");
}

// The percentage reads on both halves of the bar, whatever the desktop's highlight.
TEST_F(GridTest, ThePercentageReadsOnBothHalvesOfTheBar) {
  const std::pair<QColor, QColor> highlights[] = {
      {QPalette().color(QPalette::Highlight), QPalette().color(QPalette::HighlightedText)},
      {QColor("#308cc6"), Qt::white},
      {QColor("#ffd200"), Qt::white},
      {QColor("#3daee9"), QColor("#fcfcfc")},
      {QColor("#e0e0ff"), QColor("#101010")}};
  const QPalette kept = QGuiApplication::palette();
  for (auto [bar, text] : highlights) {
    SCOPED_TRACE(bar.name().toStdString());
    QPalette palette = kept;
    palette.setColor(QPalette::Highlight, bar);
    palette.setColor(QPalette::HighlightedText, text);
    QGuiApplication::setPalette(palette);
    StatusCellColors colors = Grid().Delegate().Colors();
    // Under the bar the text is in the back colour, beside it in the bar's.
    EXPECT_GE(ContrastRatio(colors.highlight, colors.highlightText), 4.5);
  }
  QGuiApplication::setPalette(kept);
}

}  // namespace
}  // namespace reelcatch
