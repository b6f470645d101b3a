// The settings file: whatever is read from any bytes is written back and
// read again unchanged, and any hive built from the bytes survives the trip.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "shell/hive_file.h"

namespace {

using reelcatch::fuzz::Check;

void CheckRoundTrip(const reelcatch::Hive& hive, const char* what) {
  std::string text = reelcatch::FormatHive(hive);
  Check(reelcatch::ParseHive(text) == hive, what, text);
  Check(text.empty() || text.back() == '\n', "every written line is ended", text);
}

// Sections, names and values taken in turn from fields split at 0x01 bytes.
reelcatch::Hive BuildHive(const std::string& bytes) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t at = bytes.find('\x01'); at != std::string::npos; at = bytes.find('\x01', start)) {
    fields.push_back(bytes.substr(start, at - start));
    start = at + 1;
  }
  fields.push_back(bytes.substr(start));
  reelcatch::Hive hive;
  for (size_t i = 0; i < fields.size(); i += 3) {
    auto& key = hive[fields[i]];
    if (i + 2 < fields.size()) key[fields[i + 1]] = fields[i + 2];
  }
  return hive;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);

  reelcatch::Hive read = reelcatch::ParseHive(bytes);
  CheckRoundTrip(read, "what was read is read again");
  std::string written = reelcatch::FormatHive(read);
  Check(reelcatch::FormatHive(reelcatch::ParseHive(written)) == written, "writing is stable");

  CheckRoundTrip(BuildHive(bytes), "any hive survives the trip");

  std::string escaped = reelcatch::EscapeHiveText(bytes);
  std::string back;
  Check(reelcatch::UnescapeHiveText(escaped, back) && back == bytes, "escaping is undone");
  Check(escaped.find_first_of("\r\n=[]") == std::string::npos, "escaped text has no structure");
  return 0;
}
