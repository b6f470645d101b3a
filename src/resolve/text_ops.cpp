#include "resolve/text_ops.h"

#include <algorithm>

namespace reelcatch {

namespace {

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(char a, char b) { return FoldCase(a) == FoldCase(b); }

// 0-based index of the first match at or after start, or npos.
size_t SearchNoCase(std::string_view text, std::string_view marker, size_t start) {
  if (start > text.size()) return std::string_view::npos;
  auto hit = std::search(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                         marker.begin(), marker.end(), SameNoCase);
  if (hit == text.end() && !marker.empty()) return std::string_view::npos;
  return static_cast<size_t>(hit - text.begin());
}

}  // namespace

bool ContainsNoCase(std::string_view text, std::string_view marker) {
  return SearchNoCase(text, marker, 0) != std::string_view::npos;
}

namespace textops {

namespace {

void FailUnless(bool condition, const char* what) {
  if (!condition) throw RuleFailure(what);
}

}  // namespace

TextPos Length(std::string_view text) { return static_cast<TextPos>(text.size()); }

TextPos Find(std::string_view text, std::string_view marker, TextPos from) {
  FailUnless(from >= 1, "find from a position below 1");
  if (from > Length(text)) return 0;
  size_t hit = SearchNoCase(text, marker, static_cast<size_t>(from - 1));
  return hit == std::string_view::npos ? 0 : static_cast<TextPos>(hit) + 1;
}

TextPos FindLast(std::string_view text, std::string_view marker, TextPos limit) {
  FailUnless(limit >= 1 || limit == -1, "find last within a limit of 0 or below -1");
  TextPos end = (limit == -1) ? Length(text) : std::min(limit, Length(text));
  TextPos size = Length(marker);
  for (TextPos start = end - size; start >= 0; --start) {
    if (std::equal(marker.begin(), marker.end(), text.begin() + start, SameNoCase)) {
      return start + 1;
    }
  }
  return 0;
}

std::string Cut(std::string_view text, TextPos from) {
  FailUnless(from >= 1, "cut from a position below 1");
  if (from > Length(text)) return {};
  return std::string(text.substr(static_cast<size_t>(from - 1)));
}

std::string Cut(std::string_view text, TextPos from, TextPos length) {
  FailUnless(length >= 0, "cut with a negative length");
  std::string rest = Cut(text, from);
  if (length < Length(rest)) rest.resize(static_cast<size_t>(length));
  return rest;
}

std::string Left(std::string_view text, TextPos n) {
  FailUnless(n >= 0, "left with a negative count");
  return std::string(text.substr(0, static_cast<size_t>(std::min(n, Length(text)))));
}

std::string Right(std::string_view text, TextPos n) {
  FailUnless(n >= 0, "right with a negative count");
  TextPos count = std::min(n, Length(text));
  return std::string(text.substr(static_cast<size_t>(Length(text) - count)));
}

std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
  if (oldText.empty()) return std::string(text);
  std::string result;
  size_t done = 0;
  for (size_t hit = SearchNoCase(text, oldText, 0); hit != std::string_view::npos;
       hit = SearchNoCase(text, oldText, done)) {
    result.append(text.substr(done, hit - done)).append(newText);
    done = hit + oldText.size();
  }
  return result.append(text.substr(done));
}

std::string Reverse(std::string_view text) { return std::string(text.rbegin(), text.rend()); }

}  // namespace textops
}  // namespace reelcatch
