#include "shell/mod_settings.h"

#include <charconv>
#include <exception>
#include <string_view>

#include "platform/movie_variables.h"
#include "shell/user_folders.h"

namespace reelcatch {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    if (ch != word[i]) return false;
  }
  return true;
}

// An optional sign, then digits with at most one decimal point.
bool ReadNumber(std::string_view text, bool& nonZero) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  bool sawDigit = false;
  bool sawPoint = false;
  nonZero = false;
  for (char ch : text) {
    if (ch == '.' && !sawPoint) {
      sawPoint = true;
    } else if (ch >= '0' && ch <= '9') {
      sawDigit = true;
      nonZero = nonZero || ch != '0';
    } else {
      return false;
    }
  }
  return sawDigit;
}

void CallMonitor(const std::function<void(bool)>& monitor) {
  try {
    if (monitor) monitor(true);
  } catch (const std::exception&) {
    // Monitoring failed to start; the rest of start-up still runs.
  }
}

}  // namespace

std::string DefaultDownloadDir() { return HomeFolder() + "/Downloaded Videos"; }

bool IsUsableFolderSetting(std::string_view folder) {
  for (std::size_t i = 0; i < folder.size(); ++i) {
    auto byte = static_cast<unsigned char>(folder[i]);
    if (byte < 0x20 || byte == 0x7f) return false;
    // In UTF-8, 0xC2 always leads a character; with 0x80-0x9F it is a C1 one.
    if (byte == 0xc2 && i + 1 < folder.size()) {
      auto next = static_cast<unsigned char>(folder[i + 1]);
      if (next >= 0x80 && next <= 0x9f) return false;
    }
  }
  return true;
}

std::string ReadDownloadDir(CRegister& reg) {
  std::string fallback = DefaultDownloadDir();
  std::string folder =
      reg.REGGetSetting(kHkeyCurrentUser, kSettingsKey, kDownloadDirValue, fallback);
  return IsUsableFolderSetting(folder) ? folder : fallback;
}

bool ReadTruthValue(const std::string& text, bool& value) {
  std::string_view trimmed = TrimBlanks(text);
  bool nonZero = false;
  if (EqualsIgnoringCase(trimmed, "true")) {
    value = true;
  } else if (EqualsIgnoringCase(trimmed, "false")) {
    value = false;
  } else if (ReadNumber(trimmed, nonZero)) {
    value = nonZero;
  } else {
    return false;
  }
  return true;
}

void LoadSettings(CRegister& reg, Settings& settings, Movie& movie,
                  const std::function<void(bool)>& monitor) {
  ReadTruthValue(reg.REGGetSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "true"),
                 settings.URLMon);
  if (settings.URLMon) CallMonitor(monitor);
  settings.DownloadDir = ReadDownloadDir(reg);
  ReadTruthValue(reg.REGGetSetting(kHkeyCurrentUser, kSettingsKey, kAnySiteValue, "0"),
                 settings.AnySite);
  ReadTruthValue(reg.REGGetSetting(kHkeyCurrentUser, kSettingsKey, kNotifyValue, "1"),
                 settings.Notify);
  SendSettingsToMovie(settings, movie);
}

void SaveSettings(CRegister& reg, const Settings& settings) {
  reg.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue,
                     settings.URLMon ? "True" : "False");
  reg.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kDownloadDirValue, settings.DownloadDir);
  reg.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kAnySiteValue, settings.AnySite ? "1" : "0");
  reg.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kNotifyValue, settings.Notify ? "1" : "0");
}

std::optional<WindowSize> ReadWindowSize(CRegister& reg) {
  // Larger than any screen is a damaged value.
  constexpr int kLargest = 20000;
  std::string text = reg.REGGetSetting(kHkeyCurrentUser, kSettingsKey, kWindowSizeValue, "");
  WindowSize size;
  const char* end = text.data() + text.size();
  auto [x, widthError] = std::from_chars(text.data(), end, size.width);
  if (widthError != std::errc() || x == end || *x != 'x') return std::nullopt;
  auto [last, heightError] = std::from_chars(x + 1, end, size.height);
  if (heightError != std::errc() || last != end) return std::nullopt;
  if (size.width <= 0 || size.height <= 0 || size.width > kLargest || size.height > kLargest)
    return std::nullopt;
  return size;
}

void SaveWindowSize(CRegister& reg, WindowSize size) {
  reg.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kWindowSizeValue,
                     std::to_string(size.width) + "x" + std::to_string(size.height));
}

void SendSettingsToMovie(const Settings& settings, Movie& movie) {
  SetMovieVariable(movie, "_root.autoToDownloadList_CB", settings.URLMon);
  SetMovieVariable(movie, "_root.Download_CB", "1");
  SetMovieVariable(movie, "_root.Convert_CB", "1");
  SetMovieVariable(movie, "_root.download_dir", settings.DownloadDir);
  SetMovieVariable(movie, "_root.anySite_CB", settings.AnySite);
  SetMovieVariable(movie, "_root.notify_CB", settings.Notify);
}

}  // namespace reelcatch
