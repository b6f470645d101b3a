#include "shell/hive_file.h"

#include <optional>
#include <string_view>

namespace reelcatch {
namespace {

bool NeedsEscape(unsigned char byte) {
  return byte < 0x20 || byte == 0x7f || byte == '%' || byte == '=' || byte == '[' || byte == ']';
}

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

struct ParseState {
  Hive hive;
  // Unset before the first header and after a damaged one, so stray values
  // never land in the wrong key.
  std::optional<std::string> section;
};

void ParseHeader(std::string_view line, ParseState& state) {
  state.section.reset();
  if (line.size() < 2 || line.back() != ']') return;
  std::string name;
  if (!UnescapeHiveText(std::string(line.substr(1, line.size() - 2)), name)) return;
  state.hive[name];
  state.section = std::move(name);
}

void ParseValue(std::string_view line, ParseState& state) {
  std::size_t equals = line.find('=');
  if (!state.section || equals == std::string_view::npos) return;
  std::string name;
  std::string value;
  if (!UnescapeHiveText(std::string(line.substr(0, equals)), name)) return;
  if (!UnescapeHiveText(std::string(line.substr(equals + 1)), value)) return;
  state.hive[*state.section][name] = std::move(value);
}

void ParseLine(std::string_view line, ParseState& state) {
  // Tolerate a file saved by an editor with CR LF line ends.
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty()) return;
  if (line.front() == '[') {
    ParseHeader(line, state);
  } else {
    ParseValue(line, state);
  }
}

}  // namespace

std::string EscapeHiveText(const std::string& text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(text.size());
  for (char ch : text) {
    auto byte = static_cast<unsigned char>(ch);
    if (NeedsEscape(byte)) {
      result += '%';
      result += kDigits[byte >> 4];
      result += kDigits[byte & 0x0f];
    } else {
      result += ch;
    }
  }
  return result;
}

bool UnescapeHiveText(const std::string& text, std::string& result) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
    int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
    if (high < 0 || low < 0) return false;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  result = std::move(decoded);
  return true;
}

Hive ParseHive(const std::string& text) {
  ParseState state;
  std::string_view rest(text);
  // Every line we write ends in a newline; text after the last one is a
  // line cut short, and a cut value must not pass for a whole one.
  for (std::size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
    ParseLine(rest.substr(0, end), state);
    rest.remove_prefix(end + 1);
  }
  return std::move(state.hive);
}

std::string FormatHive(const Hive& hive) {
  std::string text;
  for (const auto& [section, values] : hive) {
    if (!text.empty()) text += '\n';
    text += '[' + EscapeHiveText(section) + "]\n";
    for (const auto& [name, value] : values) {
      text += EscapeHiveText(name) + '=' + EscapeHiveText(value) + '\n';
    }
  }
  return text;
}

}  // namespace reelcatch
