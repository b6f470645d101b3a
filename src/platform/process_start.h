#pragma once

#include <sys/types.h>

#include <optional>

namespace reelcatch {

// When a process started, in clock ticks since boot: with its id, this tells
// a process from a later one that was given the same id. None when the
// process does not exist (or /proc cannot tell).
std::optional<unsigned long long> ProcessStartTicks(pid_t pid);

}  // namespace reelcatch
