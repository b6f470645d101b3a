#pragma once

#include <string>

#include "platform/grid.h"

namespace reelcatch {

struct CellRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  friend bool operator==(const CellRect&, const CellRect&) = default;
};

// What to paint for one Status cell. When custom is false the grid draws the
// cell as usual. Otherwise: the whole cell in `back` with `text` centred in
// `fore`; then, inside `bar`, the colours swap (bar area in `fore`, the part
// of the text over it in `back`). A selected cell has an empty bar and the
// selection's colours.
struct StatusCellLayout {
  bool custom = false;
  int percent = 0;
  std::string text;
  CellRect cell;
  CellRect bar;
  Rgb back;
  Rgb fore;
};

struct StatusCellColors {
  Rgb highlight;      // the bar
  Rgb highlightText;  // the background
  Rgb selectedBack;   // a selected cell's resolved colours
  Rgb selectedFore;
};

// True when the text reads as a number: digits with optional sign, decimal
// point, exponent and surrounding blanks.
bool ReadsAsNumber(const std::string& text, double* value = nullptr);

// The contrast of two colours as the web's accessibility rules measure it,
// from 1 (the same) to 21 (black on white).
double ContrastRatio(Rgb one, Rgb other);

// The bar's colour, made darker (on a light back) or lighter (on a dark
// one) just as far as the percentage needs to read at the given contrast on
// both halves: the text on each half is in the other half's colour.
Rgb Legible(Rgb bar, Rgb back, double ratio = 4.5);

StatusCellLayout LayoutStatusCell(const std::string& value, CellRect cell, bool selected,
                                  const StatusCellColors& colors);

}  // namespace reelcatch
