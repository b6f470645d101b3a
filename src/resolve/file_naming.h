#pragma once

#include <cstddef>
#include <string>

namespace reelcatch {

// A byte count as text with its unit: "512 Bytes", "1.5 KB", "3 MB", "1.2 GB".
// One decimal at most, halves rounded to the even digit, "." as separator.
// Empty text from 2^40 bytes on.
std::string FormatFileSize(float x);

// The name without the characters \ / : * ? " < > | & (and zero bytes, which
// no file name can hold). "Enter File Name" when nothing usable is left,
// including "." and "..", which name folders.
std::string CleanFileName(const std::string& s);

// Character counts of UTF-8 text. A byte that does not start a well-formed
// character counts as one character, so no cut ever splits a character.
size_t Utf8Length(const std::string& text);
std::string Utf8Left(const std::string& text, size_t chars);
std::string Utf8Right(const std::string& text, size_t chars);

// A name longer than maxChars characters becomes its first
// maxChars - keepLast characters followed by its last keepLast characters,
// which keeps the extension when keepLast covers it.
std::string CutFileName(const std::string& name, size_t maxChars, size_t keepLast);

// The name with " (n)" before its extension ("clip (2).flv"; "notes (2)"
// without one), cut on a character boundary to at most maxBytes bytes.
std::string NumberedFileName(const std::string& name, int n, size_t maxBytes);

}  // namespace reelcatch
