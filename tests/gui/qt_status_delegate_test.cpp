// The pixels of Status cells: a number is a bar with the percentage over it,
// the colours swapping under the bar; a selected row shows no bar.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "platform/qt/qt_grid.h"
#include "qt_app.h"

namespace reelcatch {
namespace {

constexpr Rgb kSelected{61, 211, 124};
constexpr Rgb kRowBack{255, 255, 255};

GridColors ListColors() {
  GridColors colors;
  colors.area = {234, 233, 232};
  colors.border = {39, 104, 146};
  colors.selectedRowBack = kSelected;
  colors.activeRowBack = kSelected;
  colors.activeRowFore = {255, 255, 255};
  colors.rowBack = kRowBack;
  colors.headerBack = {84, 137, 93};
  colors.headerFore = {255, 255, 255};
  return colors;
}

Rgb ToRgb(QColor color) { return {color.red(), color.green(), color.blue()}; }

class StatusDelegateTest : public ::testing::Test {
 protected:
  void Show(std::vector<std::string> statuses) {
    auto copy = std::make_shared<DisplayCopy>();
    int id = 1;
    for (auto& status : statuses) copy->push_back({id++, "http://a/", "a.flv", status, "1 MB"});
    grid_.SetDataSource(copy);
    grid_.SetColors(ListColors());
    grid_.SetRowSelectors(false);
    // A wide Status column, so bar edges are far from the text.
    for (int column = 0; column < kGridColumnCount; ++column)
      grid_.SetColumnWidth(column, column == kColStatus ? 3000 : 600);
    grid_.SetGeometry(0, 0, 575, 400);
    grid_.SetVisible(true);
    window_.resize(600, 420);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  QImage Picture() { return grid_.View().viewport()->grab().toImage(); }

  QRect Cell(int row, int column = kColStatus) {
    return grid_.View().visualRect(grid_.Model().index(row, column));
  }

  // The pixel on the cell's first line at x, away from the centred text.
  Rgb TopLine(const QImage& image, const QRect& cell, int x) {
    return ToRgb(image.pixelColor(x, cell.top() + 1));
  }

  // Whether a pixel of about this colour lies inside the cell's inner rows
  // in [from, to). Text edges are smoothed, so near is enough.
  bool MiddleHas(const QImage& image, const QRect& cell, int from, int to, Rgb colour) {
    auto near = [](int a, int b) { return std::abs(a - b) <= 40; };
    for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
      for (int x = from; x < to; ++x) {
        Rgb pixel = ToRgb(image.pixelColor(x, y));
        if (near(pixel.r, colour.r) && near(pixel.g, colour.g) && near(pixel.b, colour.b))
          return true;
      }
    return false;
  }

  QWidget window_;
  QtGrid grid_{&window_};
  Rgb bar_ = ToRgb(QGuiApplication::palette().color(QPalette::Highlight));
  Rgb back_ = ToRgb(QGuiApplication::palette().color(QPalette::HighlightedText));
};

TEST_F(StatusDelegateTest, BarWidthFollowsThePercentage) {
  struct Case {
    const char* status;
    int shownPercent;
  };
  const Case cases[] = {{"0", 0}, {"45", 45}, {"100", 100}, {"250", 100}, {"-3", 0}, {"12.5", 12}};
  std::vector<std::string> statuses;
  for (const Case& c : cases) statuses.push_back(c.status);
  Show(statuses);
  QImage image = Picture();

  for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
    SCOPED_TRACE(cases[row].status);
    QRect cell = Cell(row);
    int width = cell.width();
    int barEnd = cell.left() + (cases[row].shownPercent * width + 50) / 100;
    if (barEnd > cell.left()) {
      EXPECT_EQ(TopLine(image, cell, cell.left()), bar_);
      EXPECT_EQ(TopLine(image, cell, barEnd - 1), bar_);
    }
    if (barEnd <= cell.right()) {
      EXPECT_EQ(TopLine(image, cell, barEnd), back_);
      EXPECT_EQ(TopLine(image, cell, cell.right()), back_);
    }
  }
}

TEST_F(StatusDelegateTest, TextSwapsColoursWhereTheBarEnds) {
  Show({"50"});
  QImage image = Picture();
  QRect cell = Cell(0);
  int middle = cell.left() + cell.width() / 2;
  // "50%" is centred across the bar's end: in the back colour over the bar,
  // in the bar colour beyond it.
  EXPECT_TRUE(MiddleHas(image, cell, middle - 20, middle, back_));
  EXPECT_TRUE(MiddleHas(image, cell, middle, middle + 20, bar_));
}

TEST_F(StatusDelegateTest, SelectedRowShowsSelectionColoursWithoutBar) {
  Show({"45", "45"});
  grid_.SetRowSelected(1, true);
  QImage image = Picture();
  QRect cell = Cell(1);
  EXPECT_EQ(TopLine(image, cell, cell.left()), kSelected);
  EXPECT_EQ(TopLine(image, cell, cell.right()), kSelected);
  EXPECT_FALSE(MiddleHas(image, cell, cell.left(), cell.right(), bar_));
  // The row above keeps its bar.
  EXPECT_EQ(TopLine(image, Cell(0), Cell(0).left()), bar_);
}

TEST_F(StatusDelegateTest, SelectedCellShowsSelectionColoursWithoutBar) {
  Show({"45"});
  grid_.SelectCell({0, kColStatus});
  QImage image = Picture();
  QRect cell = Cell(0);
  EXPECT_EQ(TopLine(image, cell, cell.left()), kSelected);
  EXPECT_EQ(TopLine(image, cell, cell.right()), kSelected);
}

TEST_F(StatusDelegateTest, TextsAndOtherColumnsAreDrawnAsUsual) {
  // The first row may be the active one, drawn in its own colours.
  Show({"Waiting", "Waiting", "Complete", "1.5 MBso far.."});
  QImage image = Picture();
  for (int row = 1; row < 4; ++row) {
    QRect cell = Cell(row);
    EXPECT_EQ(TopLine(image, cell, cell.left() + 1), kRowBack) << row;
    EXPECT_FALSE(MiddleHas(image, cell, cell.left(), cell.right(), bar_)) << row;
  }
  // The ID column holds numbers too, and stays plain.
  QRect id = Cell(1, kColId);
  EXPECT_EQ(TopLine(image, id, id.left() + 1), kRowBack);
}

TEST_F(StatusDelegateTest, ProgressWriteRepaintsTheBar) {
  Show({"10"});
  grid_.SetCellText(0, kColStatus, "90");
  QImage image = Picture();
  QRect cell = Cell(0);
  EXPECT_EQ(TopLine(image, cell, cell.left() + cell.width() * 85 / 100), bar_);
}

}  // namespace
}  // namespace reelcatch
