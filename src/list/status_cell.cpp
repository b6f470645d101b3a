#include "list/status_cell.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace reelcatch {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Advances over digits; returns how many.
size_t SkipDigits(const std::string& text, size_t& at) {
  size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at - start;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where a number is written, and its decimal magnitude (the power of ten
// of its first significant digit, roughly), which tells an overflow from an
// underflow.
struct NumberShape {
  size_t begin = 0, end = 0;
  bool negative = false;
  long magnitude = 0;
  long exponent = 0;
};

// Leading zeros are skipped; counts the rest of the digits.
long SignificantDigits(std::string_view digits) {
  size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? 0 : static_cast<long>(digits.size() - first);
}

bool ParseShape(const std::string& text, NumberShape& shape) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  shape.begin = at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    shape.negative = text[at] == '-';
    ++at;
  }
  size_t integerStart = at;
  size_t digits = SkipDigits(text, at);
  shape.magnitude = SignificantDigits({text.data() + integerStart, digits});
  if (at < text.size() && text[at] == '.') {
    ++at;
    size_t fractionStart = at;
    size_t fractionDigits = SkipDigits(text, at);
    std::string_view fraction(text.data() + fractionStart, fractionDigits);
    size_t leadingZeros = std::min(fraction.find_first_not_of('0'), fraction.size());
    if (shape.magnitude == 0) shape.magnitude = -static_cast<long>(leadingZeros);
    digits += fractionDigits;
  }
  if (digits == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    bool negativeExponent = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    size_t exponentStart = at;
    if (SkipDigits(text, at) == 0) return false;
    std::string_view exponentText(text.data() + exponentStart, at - exponentStart);
    // A huge exponent saturates; its sign is all that matters then.
    if (exponentText.size() > 9) exponentText = "999999999";
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), shape.exponent);
    if (negativeExponent) shape.exponent = -shape.exponent;
  }
  shape.end = at;
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at == text.size();
}

double ValueOf(const std::string& text, const NumberShape& shape) {
  const char* begin = text.data() + shape.begin;
  if (*begin == '+') ++begin;
  double value = 0;
  auto [ptr, ec] = std::from_chars(begin, text.data() + shape.end, value);
  if (ec != std::errc::result_out_of_range) return value;
  if (shape.magnitude + shape.exponent <= 0) return 0.0;
  double huge = std::numeric_limits<double>::infinity();
  return shape.negative ? -huge : huge;
}

// Nearest whole number, halves to the even one.
double RoundHalfEven(double value) {
  double floor = std::floor(value);
  double fraction = value - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

}  // namespace

bool ReadsAsNumber(const std::string& text, double* value) {
  NumberShape shape;
  if (!ParseShape(text, shape)) return false;
  if (value) *value = ValueOf(text, shape);
  return true;
}

StatusCellLayout LayoutStatusCell(const std::string& value, CellRect cell, bool selected,
                                  const StatusCellColors& colors) {
  StatusCellLayout layout;
  double number = 0;
  if (!ReadsAsNumber(value, &number)) return layout;
  layout.custom = true;
  layout.cell = cell;
  // Limiting before rounding keeps huge values from overflowing; the
  // result is the same as rounding first.
  double limited = number < 0 ? 0.0 : (number > 100 ? 100.0 : number);
  layout.percent = static_cast<int>(RoundHalfEven(limited));
  layout.text = std::to_string(layout.percent) + "%";
  layout.bar = {cell.left, cell.top, cell.left, cell.bottom};
  if (selected) {
    // A selected cell shows the selection, not a partial bar.
    layout.back = colors.selectedBack;
    layout.fore = colors.selectedFore;
    return layout;
  }
  layout.back = colors.highlightText;
  layout.fore = colors.highlight;
  double width = static_cast<double>(layout.percent) / 100.0 * (cell.right - cell.left);
  layout.bar.right = cell.left + static_cast<int>(RoundHalfEven(width));
  return layout;
}

double ContrastRatio(Rgb one, Rgb other) {
  auto luminance = [](Rgb c) {
    auto linear = [](int channel) {
      double v = channel / 255.0;
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
  };
  double a = luminance(one), b = luminance(other);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

Rgb Legible(Rgb bar, Rgb back, double ratio) {
  const int toward =
      ContrastRatio(back, {0, 0, 0}) >= ContrastRatio(back, {255, 255, 255}) ? 0 : 255;
  Rgb moved = bar;
  for (int step = 1; step <= 20 && ContrastRatio(moved, back) < ratio; ++step) {
    auto mix = [&](int channel) { return channel + (toward - channel) * step / 20; };
    moved = {mix(bar.r), mix(bar.g), mix(bar.b)};
  }
  return moved;
}

}  // namespace reelcatch
