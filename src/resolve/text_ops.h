#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace reelcatch {

// True when marker occurs anywhere in text, ignoring ASCII case. An empty
// marker occurs everywhere.
bool ContainsNoCase(std::string_view text, std::string_view marker);

// The text operations the site rules are written in. Positions are 1-based
// character positions (one byte, one character) and every comparison ignores
// ASCII case. An operation given arguments it cannot work with throws
// RuleFailure; the rule that called it then finds nothing.
namespace textops {

// Wider than any page we read, so the rules' position arithmetic never overflows.
using TextPos = std::int64_t;

class RuleFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

TextPos Length(std::string_view text);

// First occurrence of marker starting at or after from; 0 when there is none
// or from lies past the end. Fails when from is below 1.
TextPos Find(std::string_view text, std::string_view marker, TextPos from);

// Last occurrence lying wholly within the first limit characters (-1: the
// whole text); 0 when there is none. Fails for a limit of 0 or below -1.
TextPos FindLast(std::string_view text, std::string_view marker, TextPos limit);

// Characters from position from to the end; empty past the end. Fails when
// from is below 1.
std::string Cut(std::string_view text, TextPos from);

// At most length characters from position from. Fails when from is below 1
// or length is negative.
std::string Cut(std::string_view text, TextPos from, TextPos length);

// The first or last n characters (the whole text when n is at least its
// length). Fail when n is negative.
std::string Left(std::string_view text, TextPos n);
std::string Right(std::string_view text, TextPos n);

// Replaces every occurrence of oldText, found left to right without
// overlapping; an empty oldText leaves the text as it is.
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);

std::string Reverse(std::string_view text);

}  // namespace textops
}  // namespace reelcatch
