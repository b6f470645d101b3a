#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/movie.h"
#include "run/settings.h"
#include "shell/cregister.h"

namespace reelcatch {

// Where the settings live in the current user's hive.
inline constexpr const char* kSettingsKey = "Software\\Orvalis Reelcatch\\Settings";
inline constexpr const char* kDownloadDirValue = "Download Dir";
inline constexpr const char* kUrlMonValue = "URL Mon";
// "1" or "0"; off when missing.
inline constexpr const char* kAnySiteValue = "Any Site";
// "1" or "0"; on when missing.
inline constexpr const char* kNotifyValue = "Notify When Done";
// The main window's size as the user left it, "width x height" in pixels.
inline constexpr const char* kWindowSizeValue = "Window Size";

struct WindowSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

// "Downloaded Videos" in the user's home folder.
std::string DefaultDownloadDir();

// False for a folder setting that holds a control character (NUL, the other
// C0 characters, DEL, or U+0080 to U+009F in UTF-8): a path is cut at a NUL,
// and the cut path may name a file of the user's.
bool IsUsableFolderSetting(std::string_view folder);

// The saved download folder; the default one when none is saved or the
// saved one is not usable.
std::string ReadDownloadDir(CRegister& reg);

// Reads True/False in any letter case, or a number (0 false, any other
// true), blanks around either allowed. Any other text answers false and
// leaves value as it was.
bool ReadTruthValue(const std::string& text, bool& value);

// Start-up: reads the settings, starts clipboard monitoring through
// monitor(true) when it is on, and shows the settings in the face.
void LoadSettings(CRegister& reg, Settings& settings, Movie& movie,
                  const std::function<void(bool)>& monitor);
// Writes the settings; a failed write keeps the stored value.
void SaveSettings(CRegister& reg, const Settings& settings);
void SendSettingsToMovie(const Settings& settings, Movie& movie);
// The kept window size; none when none is kept or it does not read as one.
std::optional<WindowSize> ReadWindowSize(CRegister& reg);
void SaveWindowSize(CRegister& reg, WindowSize size);

}  // namespace reelcatch
