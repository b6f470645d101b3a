#pragma once

namespace reelcatch {

// Texts the list's fields take.
namespace texts {
inline constexpr const char* kWaiting = "Waiting";
inline constexpr const char* kNotSupported = "Link is not supported";
inline constexpr const char* kPreparingStart = "Preperaing (0%)";
inline constexpr const char* kPreparingBytes = "Preperaing...";
inline constexpr const char* kStartDownloading = "Start Downloading...";
inline constexpr const char* kError = "ERROR";
inline constexpr const char* kComplete = "Complete";
inline constexpr const char* kCancelled = "Cancelled";
inline constexpr const char* kAutoDetect = "Waiting (Auto Detect)";
inline constexpr const char* kUnsupportedLink = "Un supported link";
inline constexpr const char* kProcessFailed = "Process failed.";
inline constexpr const char* kEnterFileName = "Enter File Name";
inline constexpr const char* kUnknownSize = "????";
}  // namespace texts

}  // namespace reelcatch
