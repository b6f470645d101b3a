#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reelcatch {

// One row of the grid's display copy. Texts are kept whole, however long.
struct DisplayRow {
  int32_t ID = 0;
  std::string Video_URL;
  std::string FileName;
  std::string Status;
  std::string FileSize;
  // The Key of the item this row was read from; not shown.
  uint64_t Key = 0;
  // Why the item failed; shown only when asked for, the status stays "ERROR".
  std::string Reason;
};

// Display widths of the text fields, in characters.
inline constexpr int kVideoUrlWidth = 220;
inline constexpr int kFileNameWidth = 100;
inline constexpr int kStatusWidth = 120;
inline constexpr int kFileSizeWidth = 10;

// The tabular copy of the download list that the grid is bound to; rebuilt
// from scratch on every visible change.
using DisplayCopy = std::vector<DisplayRow>;

}  // namespace reelcatch
