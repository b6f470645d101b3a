#include "platform/process_start.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace reelcatch {

// Field 22 of /proc/PID/stat; the name before it may hold spaces and
// parentheses, so count from the last closing parenthesis.
std::optional<unsigned long long> ProcessStartTicks(pid_t pid) {
  if (pid <= 0) return std::nullopt;
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int index = 3; index <= 22 && (fields >> field); ++index) {
    if (index < 22) continue;
    unsigned long long ticks = 0;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), ticks);
    if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return ticks;
  }
  return std::nullopt;
}

}  // namespace reelcatch
