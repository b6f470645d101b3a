#pragma once

#include <map>
#include <string>

namespace reelcatch {

// The text form of one hive of the settings store: a section per key path,
// holding "name=value" lines. Key paths, names and values are escaped so any
// bytes survive the trip; the unnamed default value has the empty name.
using HiveKey = std::map<std::string, std::string>;
using Hive = std::map<std::string, HiveKey>;

// Reads what can be read: a line that does not parse is skipped, and so are
// the values under a damaged section header and an unfinished last line.
Hive ParseHive(const std::string& text);
std::string FormatHive(const Hive& hive);

// '%' followed by two hex digits stands for a byte that would otherwise break
// the line structure. Bytes from 0x80 up are kept as they are.
std::string EscapeHiveText(const std::string& text);
// False when the text holds a broken escape.
bool UnescapeHiveText(const std::string& text, std::string& result);

}  // namespace reelcatch
